// Paths, their endpoints and what else belongs to each route.
#include "http/route_table.hpp"

#include "http/endpoints.hpp"

namespace vantor::http {
namespace {

constexpr bool kEchoed = true;
constexpr bool kNotEchoed = false;
constexpr bool kMayWait = true;
constexpr bool kNoLock = false;
constexpr bool kClientStatement = true;

}  // namespace

const std::vector<Route>& route_table() {
  using namespace endpoints;
  static const std::vector<Route> routes = {
      {"/inventory", inventory, kEchoed, kMayWait, "inventory"},
      {"/reserve", reserve, kEchoed, kMayWait, "reserve"},
      {"/paym", paym, kEchoed, kMayWait, "paym"},
      {"/openyear", openyear, kEchoed, kMayWait, "openyear"},
      {"/invoiceinsert", invoiceinsert, kEchoed, kMayWait, "invoiceinsert"},
      {"/itemsinsert", itemsinsert, kEchoed, kMayWait, "itemsinsert"},
      {"/company", company, kEchoed, kNoLock, "company"},
      {"/room", room, kEchoed, kMayWait, "room"},
      {"/purchase", purchase, kEchoed, kNoLock, "purchase"},
      {"/myjson", myjson, kNotEchoed, kMayWait, "myjson", kClientStatement},
      {"/myhtml", myhtml, kEchoed, kMayWait, "myhtml", kClientStatement},
      {"/subh", customer_page, kEchoed, kNoLock, "subh"},
      {"/brands", subcategory, kEchoed, kNoLock, "brands"},
      {"/subcat1", subcategory, kEchoed, kNoLock, "subcat1"},
      {"/stores", stores, kEchoed, kNoLock, "stores"},
      {"/product_images", product_images, kEchoed, kNoLock, "product_images"},
      {"/sales", sales, kNotEchoed, kNoLock, "sales"},
      {"/invoice", invoice, kNotEchoed, kNoLock, "invoice"},
      {"/pricesgr", pricesgr, kNotEchoed, kNoLock, "pricesgr"},
      {"/producta", producta, kNotEchoed, kNoLock, "producta"},
      {"/cases", cases, kEchoed, kNoLock, "cases"},
      {"/product", product, kNotEchoed, kNoLock, "product"},
      {"/productdate", productdate, kNotEchoed, kNoLock, "productdate"},
      {"/stat", stat, kEchoed, kNoLock, "stat"},
      {"/itemsdet", itemsdet, kEchoed, kNoLock, "itemsdet"},
      {"/product2", product2, kNotEchoed, kNoLock, "product2"},
      {"/producth", producth, kEchoed, kNoLock, "producth"},
      {"/category", category, kEchoed, kNoLock, "category"},
      {"/sub", customers, kEchoed, kNoLock, "sub"},
      {"/customer", customers, kEchoed, kNoLock, "customer"},
      {"/whqty", whqty, kEchoed, kNoLock, "whqty"},
      {"/stock", stock, kNotEchoed, kNoLock, "stock"},
      {"/price", price, kEchoed, kNoLock, "price"},
  };
  return routes;
}

const Route& find_route(std::string_view lower_path) {
  static const Route no_route{"", nullptr, kEchoed, kNoLock, "other"};
  for (const Route& route : route_table()) {
    if (route.path == lower_path) return route;
  }
  return no_route;
}

}  // namespace vantor::http
