// The named queries of the main connection: every read statement, write statement and
// procedure call the endpoints run, with its parameters, declared columns and hooks.
// This table is the only place where their statement texts live; the statements that
// clients send come with their requests.
#include "db/catalogue.hpp"

#include <algorithm>
#include <deque>
#include <stdexcept>
#include <string>

namespace vantor::db {
namespace {

using P = ParamType;
constexpr auto Text = ColumnClass::Text;
constexpr auto Double = ColumnClass::Double;
constexpr auto Int32 = ColumnClass::Int32;
constexpr auto DateTime = ColumnClass::DateTime;
constexpr auto Data = ColumnKind::Data;
constexpr auto Calculated = ColumnKind::Calculated;
constexpr auto Lookup = ColumnKind::Lookup;

// The price statement, with or without the columns it carries along.
constexpr std::string_view kPriceHead = "select pprice.*,Stock.COSTUS,STOCK.SUPPLIER";
constexpr std::string_view kPriceTail =
    "  from pprice(:code,:wh),stock  where stock.item=pprice.item  order by item  rows 1";
const std::vector<CarriedColumn> kPriceCarried = {
    {"SUPPLIER_SNAME", "(select first 1 sname from sub where smain='False' and sid=stock.supplier)", "supplier_name"},
    {"SUPPLIER_TEL1", "(select first 1 tel1 from sub where smain='False' and sid=stock.supplier)", "tel"},
    {"CURR2_RATE", "(select first 1 currval from curr where currid=2)", "priceus"},
};
const std::vector<ParamDef> kPriceParams = {{"code", P::Text, 20}, {"wh", P::Text, 3}};
const std::vector<ColumnDef> kPriceColumns = {{"item", Text, 20},
                                              {"BARCODE", Text, 20},
                                              {"price1", Double},
                                              {"priceus", Double, 0, Calculated},
                                              {"Qty", Double},
                                              {"PACK", Double},
                                              {"discount", Double},
                                              {"DESCR1", Text, 102},
                                              {"COSTUS", Double},
                                              {"SUPPLIER", Text, 20},
                                              {"supplier_name", Text, 50, Lookup},
                                              {"tel", Text, 50, Lookup}};

// A statement text composed once, kept for the life of the catalogue.
std::string_view with_carried(std::string_view head, const std::vector<CarriedColumn>& carried, std::string_view tail) {
  static std::deque<std::string> kept;
  std::string text(head);
  for (const CarriedColumn& column : carried) {
    text.append(", ").append(column.select).append(" as ").append(column.name);
  }
  text += tail;
  return kept.emplace_back(std::move(text));
}

std::vector<QueryDef> build_catalogue() {
  return {
      // a statement a client sends: its text comes with the request
      {.id = Query::ClientStatement,
       .name = "brands",
       .kind = QueryKind::Select,
       .text = "",
       .row_set_size = kScratchRowSetSize},
      // the company
      {.id = Query::Company,
       .name = "company",
       .text = "select name1,address1,tel1,'NULL' as  logo from company",
       .row_set_size = kScratchRowSetSize},
      // first-level categories
      {.id = Query::Category,
       .name = "category",
       .text = "select id,descr as name,mid as parent_id,'' as image from detdescr  where mid = 1 and descr is not "
               "null and descr <> ''  order by id ",
       .row_set_size = kScratchRowSetSize},
      // second-level categories
      {.id = Query::Subcategory,
       .name = "subcategory",
       .text = "select id,descr as name,mid as parent_id,'' as image from detdescr  where mid = 2 and descr is not "
               "null and descr <> ''",
       .row_set_size = kScratchRowSetSize},
      // warehouses
      {.id = Query::Stores,
       .name = "stores",
       .text = "select id,site as name from ALLSTOCK order by id ",
       .row_set_size = kScratchRowSetSize},
      // the stock list
      {.id = Query::Stock,
       .name = "stock",
       .text = "select item,descr1,descr2,lcost,costus,qty,pricea,category,subcat1,subcat2 from stock  order by item ",
       .row_set_size = kScratchRowSetSize},
      // the picture of one item; the item code is bound, never spliced into the text
      {.id = Query::ProductImage,
       .name = "product_images",
       .text = "select sid,picture as image from ITEMINFO where sid=:code",
       .params = {{"code", P::Text}},
       .row_set_size = kScratchRowSetSize},
      // items with stock in one warehouse, with price including tax
      {.id = Query::Product,
       .name = "product",
       .kind = QueryKind::Select,
       .text = "select * from product(:wh)  where qty<>0  order by id",
       .params = {{"wh", P::Text, 3}},
       .columns = {{"id", Text, 20},
                   {"product_name", Text, 50},
                   {"description", Text, 50},
                   {"product_code", Text, 20},
                   {"cost", Double},
                   {"price", Double},
                   {"qty", Double},
                   {"updateted_at", DateTime},
                   {"brand_id", Text, 40},
                   {"category_id", Text, 40},
                   {"discount", Double},
                   {"currid", Int32},
                   {"vat", Double},
                   {"pricevat", Double, 0, Calculated},
                   {"subcat2", Text, 40},
                   {"reserve", Double},
                   {"barcode4", Text, 20},
                   {"yesno", Text, 20}},
       .hook = RowHook::PriceWithTax},
      // all items
      {.id = Query::Product2,
       .name = "product2",
       .kind = QueryKind::Select,
       .text = "select stock.item as id,stock.DESCR1 as product_name,   stock.descr2 as description,stock.item as "
               "product_code,   stock.costus as cost,stock.SALESCURRID  as currid,   stock.pricea as "
               "price,stock.SALESDISC as discount,    stock.qty,   stock.CDATe as updateted_at,   stock.SUBCAT1 as "
               "brand_id,stock.category as category_id,stock.proformaqty  from stock    order by 1",
       .columns = {{"id", Text, 20},
                   {"product_name", Text, 50},
                   {"description", Text, 50},
                   {"product_code", Text, 20},
                   {"cost", Double},
                   {"currid", Int32},
                   {"price", Double},
                   {"discount", Double},
                   {"qty", Double},
                   {"updateted_at", DateTime},
                   {"brand_id", Text, 40},
                   {"category_id", Text, 40}}},
      // active items
      {.id = Query::ProductA,
       .name = "producta",
       .kind = QueryKind::Select,
       .text = "select stock.item as id,stock.DESCR1 as product_name,   stock.descr2 as description,stock.item as "
               "product_code,   stock.costus as cost,stock.SALESCURRID as currid,   stock.pricea as "
               "price,stock.SALESDISC as discount,  stock.qty,stock.proformaqty as Reserve,   stock.CDATe as "
               "updateted_at,   stock.SUBCAT1 as brand_id,stock.category as category_id,stock.vat as "
               "vat,stock.subcat2,stock.pack   from stock   where stock.yesno<>'NO'   order by 1",
       .columns = {{"id", Text, 20},
                   {"product_name", Text, 50},
                   {"description", Text, 50},
                   {"product_code", Text, 20},
                   {"cost", Double},
                   {"currid", Int32},
                   {"price", Double},
                   {"discount", Double},
                   {"qty", Double},
                   {"updateted_at", DateTime},
                   {"reserve", Double},
                   {"brand_id", Text, 40},
                   {"category_id", Text, 40},
                   {"vat", Double},
                   {"subcat2", Text, 40},
                   {"pack", Double}}},
      // items created since a date (the parameter wh is a date), with stock totals and price including tax
      {.id = Query::ProductDate,
       .name = "productdate",
       .kind = QueryKind::Select,
       .text = "select stock.item as id,stock.DESCR1 as product_name,   stock.descr2 as description,stock.item as "
               "product_code,   stock.costus as cost,max(stock.SALESCURRID) as currid,   stock.pricea as "
               "price,max(stock.SALESDISC) as discount,   sum(allitem.debitqty-allitem.creditqty) as qty,   "
               "stock.CDATe as updateted_at,   stock.SUBCAT1 as brand_id,stock.category as category_id,max(stock.vat) "
               "as vat  from stock,allitem   where allitem.item = stock.item and stock.cdate >= :wh  and "
               "stock.yesno<>'NO'   group by stock.item,stock.DESCR1,   stock.descr2,   stock.costus,   "
               "stock.pricea,stock.CDATE,   stock.SUBCAT1,stock.category order by 1",
       .params = {{"wh", P::Date}},
       .columns = {{"pricevat", Double, 0, Calculated},
                   {"id", Text, 20},
                   {"product_name", Text, 50},
                   {"description", Text, 50},
                   {"product_code", Text, 20},
                   {"cost", Double},
                   {"currid", Int32},
                   {"price", Double},
                   {"discount", Double},
                   {"qty", Double},
                   {"updateted_at", DateTime},
                   {"brand_id", Text, 40},
                   {"category_id", Text, 40},
                   {"vat", Double}},
       .hook = RowHook::PriceWithTax},
      // all price levels of all items, with price including tax
      {.id = Query::PricesGr,
       .name = "pricesgr",
       .kind = QueryKind::Select,
       .text = "select * from vprices  order by item",
       .columns = {{"item", Text, 20},
                   {"priceid", Int32},
                   {"price", Double},
                   {"discount", Double},
                   {"currid", Int32},
                   {"vat", Double},
                   {"pricevat", Double, 0, Calculated}},
       .hook = RowHook::PriceWithTax},
      // the price record of one code, with the supplier's name and telephone and the rate of
      // currency 2 carried along in the same round trip (the completer moves them into
      // supplier_name, tel and priceus); on a database where it fails (no CURR table, say)
      // the plain form answers
      {.id = Query::Price,
       .name = "PRICE",
       .kind = QueryKind::Select,
       .text = with_carried(kPriceHead, kPriceCarried, kPriceTail),
       .params = kPriceParams,
       .columns = kPriceColumns,
       .hook = RowHook::PriceLookup,
       .single_row = true,
       .carried = kPriceCarried,
       .plainer = Query::PricePlain},
      // the same price record without the supplier and the rate: they are looked up after it
      {.id = Query::PricePlain,
       .name = "PRICE",
       .kind = QueryKind::Select,
       .text = with_carried(kPriceHead, {}, kPriceTail),
       .params = kPriceParams,
       .columns = kPriceColumns,
       .hook = RowHook::PriceLookup,
       .single_row = true},
      // the supplier of a PRICE row, looked up by its key (the first match of the suppliers in SID order)
      {.id = Query::Supp,
       .name = "SUPP",
       .kind = QueryKind::Select,
       .text = "select sid,sname,tel1\n  from sub\nwhere smain='False' and sid=:sid\n order by sid",
       .params = {{"sid", P::Text, 20}},
       .columns = {{"SID", Text, 20}, {"SNAME", Text, 50}, {"TEL1", Text, 20}},
       .single_row = true},
      // the currency row with id 2
      {.id = Query::Curr,
       .name = "curr",
       .kind = QueryKind::Select,
       .text = "select * from curr\nwhere currid=2",
       .columns = {{"CURRID", Int32},
                   {"CURRNAME", Text, 20},
                   {"CURRVAL", Double},
                   {"LASTCHANGE", DateTime},
                   {"USER_", Text, 30},
                   {"CURRVAL2", Double}}},
      // stock of one item per warehouse
      {.id = Query::WhQty,
       .name = "whqty",
       .kind = QueryKind::Select,
       .text = "select allitem.item,allitem.site as wh_id,   max(allstock.site) as "
               "Wh_name,sum(allitem.debitqty-allitem.creditqty) as qty   from ALLitem,ALLSTOCK   where item = :code "
               "and allstock.id = allitem.site   group by allitem.item,allitem.site   having "
               "sum(allitem.debitqty-allitem.creditqty) >= 1",
       .params = {{"code", P::Text, 20}},
       .columns = {{"item", Text, 20}, {"wh_id", Text, 3}, {"Wh_name", Text, 30}, {"qty", Double}}},
      // customers
      {.id = Query::Sub,
       .name = "sub",
       .kind = QueryKind::Select,
       .text = "select sid,sname,tel1 as Tel,ADDRESS1,PRICETYPE as priceid,sbalance as Balance,contact    from sub   "
               "where pricetype is not null and(smain = 'False' and (sid like '41%'  or sid like '53%') ) order by sid",
       .columns = {{"sid", Text, 20},
                   {"sname", Text, 50},
                   {"tel", Text, 20},
                   {"ADDRESS1", Text, 100},
                   {"priceid", Int32},
                   {"balance", Double},
                   {"contact", Int32}}},
      // the statement of one account, with running balance
      {.id = Query::SAccount,
       .name = "saccount",
       .kind = QueryKind::Select,
       .text = "select saccount.id,saccount.adate,saccount.atype as Typeid,transactiontype.enname as "
               "jtype,saccount.sdebit, saccount.scredit,saccount.note,saccount.aidate,saccount.ref,SACCOUNT.TRANSNO  "
               "from saccount,transactiontype where transactiontype.id=saccount.atype  and saccount.sid=:mysid    "
               "order by saccount.adate,saccount.id",
       .params = {{"mysid", P::Text, 20}},
       .columns = {{"id", Int32},
                   {"adate", DateTime},
                   {"typeid", Int32},
                   {"jtype", Text, 20},
                   {"sdebit", Double},
                   {"scredit", Double},
                   {"note", Text, 100},
                   {"aidate", DateTime},
                   {"ref", Text, 20},
                   {"balance", Double, 0, Calculated},
                   {"transno", Text, 20}},
       .hook = RowHook::RunningBalance},
      // the lines of one document
      {.id = Query::ItemsDet,
       .name = "ITEMSDET",
       .kind = QueryKind::Select,
       .text = "SELECT STOCK.ITEM as product_code,STOCK.DESCR1 as product_name, ITEMS.ALLQTY as "
               "qty,ITEMS.PRICE,ITEMS.DISCOUNT,ITEMS.TOTAL,items.vat   FROM STOCK,ITEMS WHERE STOCK.ITEM=ITEMS.ITEM "
               "AND ITEMS.MID=:NO",
       .params = {{"no", P::Text, 20}},
       .columns = {{"product_code", Text, 20},
                   {"product_name", Text, 50},
                   {"qty", Double},
                   {"price", Double},
                   {"discount", Double},
                   {"total", Double},
                   {"vat", Double}}},
      // purchase documents
      {.id = Query::Purchase,
       .name = "purchase",
       .kind = QueryKind::Select,
       .text = "select sub.sid as acc_no,sub.sname as Supplier,saccount.adate,saccount.ref,saccount.scredit as "
               "total,sub.scurrid  from sub,saccount where sub.sid=saccount.sid and saccount.atype=3  order by "
               "sub.sid,saccount.adate,saccount.id ",
       .columns = {{"acc_no", Text, 20},
                   {"supplier", Text, 50},
                   {"adate", DateTime},
                   {"ref", Text, 20},
                   {"total", Double},
                   {"scurrid", Int32}}},
      // open cases; totime is labelled TOTIME, so the lower-case encoder sends its text form
      {.id = Query::Cases,
       .name = "cases",
       .kind = QueryKind::Select,
       .text = "select subcase.id,subcase.sid,sub.sname as name,subcase.subject,subcase.note, "
               "subcase.fdate,subcase.todate,subcase.totime,  subcase.contactid from subcase,sub where "
               "subcase.smain='True' And subcase.closing='False'  and sub.sid=subcase.sid   order by "
               "subcase.fdate,subcase.todate,subcase.totime ",
       .columns = {{"id", Int32},
                   {"sid", Text, 20},
                   {"name", Text, 50},
                   {"subject", Text, 30},
                   {"note", Text, 250},
                   {"fdate", DateTime},
                   {"todate", DateTime},
                   {"totime", DateTime, 0, Data, "TOTIME"},
                   {"contactid", Int32}}},
      // sales summary for a date range, with profit
      {.id = Query::ProCubes,
       .name = "procubes",
       .kind = QueryKind::Select,
       .text = "select item,descr1,ftype,jobname,sname,departname,categoryname,subcat1name, "
               "suppliers,contactname,site,sum(allqty) as allqty,sum(-(total*currval/currvallc)) as "
               "Total,sum(-(allqty*costus)) as Totalcost  from procubesbig(:fromdate ,:todate)  group by "
               "item,descr1,ftype,jobname,sname,departname,categoryname,subcat1name, suppliers,contactname,site order "
               "by item ",
       .params = {{"fromdate", P::Date}, {"todate", P::Date}},
       .columns = {{"item", Text, 20},
                   {"descr1", Text, 50},
                   {"ftype", Text, 20},
                   {"jobname", Text, 50},
                   {"sname", Text, 50},
                   {"departname", Text, 50},
                   {"categoryname", Text, 50},
                   {"subcat1name", Text, 50},
                   {"suppliers", Text, 50},
                   {"contactname", Text, 50},
                   {"site", Text, 3},
                   {"allqty", Double},
                   {"total", Double},
                   {"totalcost", Double},
                   {"Profit", Double, 0, Calculated}},
       .hook = RowHook::Profit},
      // sales detail for a date range (columns as the server reports them)
      {.id = Query::ProCubeAll,
       .name = "procubeall",
       .kind = QueryKind::Select,
       .text = "select item,descr1,ftype,jobname,sname,departname,categoryname,subcat1name, "
               "suppliers,contactname,fdate,site,allqty,total*currval/currvallc,allqty*costus as Totalcost  from "
               "procube(:fromdate ,:todate) ",
       .params = {{"fromdate", P::Date}, {"todate", P::Date}}},
      // marks the booked rooms of a range through DOROOM
      {.id = Query::UpRoom,
       .name = "uproom",
       .kind = QueryKind::Select,
       .text = "select * from doroom(:fromdate,:todate)   order by rno",
       .params = {{"fromdate", P::Date}, {"todate", P::Date}},
       .columns = {{"rno", Int32}}},
      // rooms not marked booked
      {.id = Query::Room,
       .name = "room",
       .kind = QueryKind::Select,
       .text = "select rno,descr,rprice1  from room  where n1<>'*' or n1 is null   order by rno",
       .columns = {{"rno", Int32}, {"descr", Text, 30}, {"rprice1", Double}}},
      // one inventory count (MYQTY is sent as text; the server converts it)
      {.id = Query::Inv,
       .name = "inv",
       .kind = QueryKind::Write,
       .text = "insert into minventory(deviceid,barcode,descr1,qty,note) \nVALUES "
               "(:myid,:mybarcode,:mydescr1,:myqty,:mynote)",
       .params = {{"MYID", P::Text},
                  {"MYBARCODE", P::Text},
                  {"MYDESCR1", P::Text},
                  {"MYQTY", P::Double},
                  {"MYNOTE", P::Text, 20}}},
      // one opening-year entry
      {.id = Query::Oy,
       .name = "oy",
       .kind = QueryKind::Write,
       .text = "insert into oy (sn,name1) values (:sn,:name) ",
       .params = {{"SN", P::Text}, {"NAME", P::Text}}},
      // invoice header
      {.id = Query::MyInv,
       .name = "myinv",
       .kind = QueryKind::Call,
       .text =
           "EXECUTE PROCEDURE "
           "MYINV(:MYID,:MYREF,:MYACCNO,:MYWH,:MYSUBTOTAL,:MYVAT,:MYNET,:MYDDATE,:MYNOTE,:MYCURR,:MYTYPE,:CONTACTID)",
       .params = {{"MYID", P::Text, 20},
                  {"MYREF", P::Text, 20},
                  {"MYACCNO", P::Text, 20},
                  {"MYWH", P::Text, 3},
                  {"MYSUBTOTAL", P::Double},
                  {"MYVAT", P::Double},
                  {"MYNET", P::Double},
                  {"MYDDATE", P::Date},
                  {"MYNOTE", P::Text, 100},
                  {"MYCURR", P::Integer},
                  {"MYTYPE", P::Integer},
                  {"CONTACTID", P::Integer}}},
      // invoice line
      {.id = Query::MyIte,
       .name = "myite",
       .kind = QueryKind::Call,
       .text = "EXECUTE PROCEDURE "
               "MYITE(:MYID,:MYMID,:MYITEM,:MYQTY,:MYPRICE,:MYDISCOUNT,:MYVAT,:MYVATAMOUNT,:MYTOTAL,:SITE,:BONE)",
       .params = {{"MYID", P::Integer},
                  {"MYMID", P::Text, 20},
                  {"MYITEM", P::Text, 20},
                  {"MYQTY", P::Double},
                  {"MYPRICE", P::Double},
                  {"MYDISCOUNT", P::Double},
                  {"MYVAT", P::Double},
                  {"MYVATAMOUNT", P::Double},
                  {"MYTOTAL", P::Double},
                  {"SITE", P::Text, 3},
                  {"BONE", P::Text, 20}}},
      // room reservation
      {.id = Query::Reserve,
       .name = "RESERVE",
       .kind = QueryKind::Call,
       .text = "EXECUTE PROCEDURE MOBRSERVE(:CID,:CNAME,:CTEL,:CFROMDATE,:CTODATE,:RRNO,:ROOMRATE,:GUESTS)",
       .params = {{"CID", P::Integer},
                  {"CNAME", P::Text, 50},
                  {"CTEL", P::Text, 30},
                  {"CFROMDATE", P::Date},
                  {"CTODATE", P::Date},
                  {"RRNO", P::Integer},
                  {"ROOMRATE", P::Double},
                  {"GUESTS", P::Integer}}},
      // payment
      {.id = Query::Paym,
       .name = "PAYM",
       .kind = QueryKind::Call,
       .text = "EXECUTE PROCEDURE RECEIPTREC(:MYID,:RATE,:MYDATE,:AMOUNT,:NOTE,:CID)",
       .params = {{"MYID", P::Integer},
                  {"RATE", P::Double},
                  {"MYDATE", P::Date},
                  {"AMOUNT", P::Double},
                  {"NOTE", P::Text, 100},
                  {"CID", P::Integer}}},
      // whether an invoice header whose commit had no known outcome is stored
      {.id = Query::InvoiceLanded,
       .name = "invoicelanded",
       .kind = QueryKind::Select,
       .text = "select count(*) from invoice where id = :id and ref = :ref",
       .params = {{"id", P::Text, 24}, {"ref", P::Text, 20}},
       .single_row = true},
      // whether an invoice line whose commit had no known outcome is stored
      {.id = Query::ItemLanded,
       .name = "itemlanded",
       .kind = QueryKind::Select,
       .text = "select count(*) from items where id = :id and mid = :mid",
       .params = {{"id", P::Integer}, {"mid", P::Text, 24}},
       .single_row = true},
  };
}

}  // namespace

const std::vector<QueryDef>& catalogue() {
  static const std::vector<QueryDef> queries = [] {
    auto built = build_catalogue();
    // every entry stands at the place of its id, so query() is one index
    std::sort(built.begin(), built.end(), [](const QueryDef& a, const QueryDef& b) { return a.id < b.id; });
    for (std::size_t i = 0; i < built.size(); ++i) {
      if (static_cast<std::size_t>(built[i].id) != i) throw std::logic_error("the catalogue lacks a query id");
    }
    return built;
  }();
  return queries;
}

const QueryDef& query(Query id) { return catalogue()[static_cast<std::size_t>(id)]; }

}  // namespace vantor::db
