// One example request for every route, on the test database: the API reference shows
// them with their answers, and the tests of the JSON answers ask them.
#pragma once

#include <map>
#include <string>

namespace vantor::test {

// By route path.
inline const std::map<std::string, std::string>& route_examples() {
  static const std::map<std::string, std::string> examples = {
      {"/inventory", "/inventory?deviceid=T1&barcode=6221000&qty=3&note=ok"},
      {"/reserve", "/reserve?id=15&name=Ali&tel=1&fromdate=05/11/2024&todate=08/11/2024&room=12&guests=2"},
      {"/paym", "/paym?id=3&rate=1&adate=05/11/2024&amount=250.5&note=cash&custid=15"},
      {"/openyear", "/openyear?sn=7&name=Ali"},
      {"/invoiceinsert", "/invoiceinsert?id=1001&ref=77&accno=41001&wh=01&subtotal=100&vatamount=15&net=115"},
      {"/itemsinsert", "/itemsinsert?id=5&inv_id=1001&item=A100&qty=2&price=10&discount=0&vat=15&vatamount=3"},
      {"/company", "/company"},
      {"/room", "/room?fromdate=05/11/2024&todate=08/11/2024"},
      {"/purchase", "/purchase"},
      {"/myjson", "/myjson?query=rno,descr,rprice1+from+room+where+rno<7"},
      {"/myhtml", "/myhtml?query=select+sid,sname+from+sub+where+sid='41001'"},
      {"/subh", "/subh"},
      {"/brands", "/brands"},
      {"/subcat1", "/subcat1"},
      {"/stores", "/stores"},
      {"/product_images", "/product_images?code=A100"},
      {"/sales", "/sales?fromdate=01/01/2000&todate=31/12/2030"},
      {"/invoice", "/invoice?fromdate=01/01/2000&todate=31/12/2030"},
      {"/pricesgr", "/pricesgr"},
      {"/producta", "/producta"},
      {"/cases", "/cases"},
      {"/product", "/product?wh=00"},
      {"/productdate", "/productdate?fromdt=2000-01-01"},
      {"/stat", "/stat?id=4101001"},
      {"/itemsdet", "/itemsdet?no=INV1"},
      {"/product2", "/product2"},
      {"/producth", "/producth?wh=001"},
      {"/category", "/category"},
      {"/sub", "/sub"},
      {"/customer", "/customer"},
      {"/whqty", "/whqty?code=A100"},
      {"/stock", "/stock"},
      {"/price", "/price?code=5012345678900"},
  };
  return examples;
}

}  // namespace vantor::test
