// The server-side objects the upgrade installs, as the statements that create them.
// Each text reaches the server exactly as written here, line breaks included; colon words
// inside the bodies are the procedures' own variables, never statement parameters.
#include "schema/schema_objects.hpp"

#include <stdexcept>

namespace vantor::schema {

namespace {

std::vector<SchemaObject> build_objects() {
  return {
      // table MINVENTORY
      {Object::CrInventory, "crinventory", Connection::Main, R"sql(CREATE TABLE MINVENTORY (
  ID INTEGER NOT NULL,
  DEVICEID VARCHAR(20),
  BARCODE VARCHAR(20),
  QTY MYCURR,
  DESCR1 VARCHAR(50),
  COSTUS MYCURR
))sql"},
      // trigger MINVENTORYTRIGGER1, first form
      {Object::CrInvTr, "crinvtr", Connection::Main,
       R"sql(CREATE TRIGGER MINVENTORYTRIGGER1 FOR MINVENTORY BEFORE INSERT POSITION 0 AS
declare variable myitem varchar(20);
declare variable mypack double precision;
BEGIN
if (new.id is null) then
new.id=gen_id(genall,1);
select item from barcodes where barcode=new.barcode   into :myitem;

select max(item),max(descr1)  from stock where item=new.barcode or item=:myitem or barcode1=new.barcode or barcode2=new.barcode
or barcode3=new.barcode or BARCODE4=new.barcode into new.item,new.descr1;
select pack from barcodes where barcode=new.barcode   into :mypack;
if (mypack is null or mypack=0) then
select max(pack1) from stock where barcode1=new.barcode into :mypack;
if (mypack is null or mypack=0) then
select max(pack2) from stock where barcode2=new.barcode into :mypack;
if (mypack is null or mypack=0) then
select max(pack3) from stock where barcode3=new.barcode into :mypack;
if (mypack is null or mypack=0) then
select max(pack4) from stock where barcode4=new.barcode into :mypack;
if (mypack is null or mypack=0) then
mypack=1;
if (new.barcode=new.item) then
mypack=1;
new.pack=:mypack;


END)sql"},
      // trigger MINVENTORYTRIGGER2, first form
      {Object::CrInvTr2, "crinvtr2", Connection::Main,
       R"sql(CREATE TRIGGER MINVENTORYTRIGGER2 FOR MINVENTORY BEFORE UPDATE POSITION 0 AS
declare variable myitem varchar(20);
declare variable mypack double precision;
BEGIN
if (new.id is null) then
new.id=gen_id(genall,1);
select item from barcodes where barcode=new.barcode   into :myitem;

select max(item),max(descr1)  from stock where item=new.barcode or item=:myitem or barcode1=new.barcode or barcode2=new.barcode
or barcode3=new.barcode or BARCODE4=new.barcode into new.item,new.descr1;
select pack from barcodes where barcode=new.barcode   into :mypack;
if (mypack is null or mypack=0) then
select max(pack1) from stock where barcode1=new.barcode into :mypack;
if (mypack is null or mypack=0) then
select max(pack2) from stock where barcode2=new.barcode into :mypack;
if (mypack is null or mypack=0) then
select max(pack3) from stock where barcode3=new.barcode into :mypack;
if (mypack is null or mypack=0) then
select max(pack4) from stock where barcode4=new.barcode into :mypack;
if (mypack is null or mypack=0) then
mypack=1;
if (new.barcode=new.item) then
mypack=1;
new.pack=:mypack;
END)sql"},
      // trigger MINVENTORYTRIGGER1, final form
      {Object::MinvTr1, "MINVTR1", Connection::Ddl,
       R"sql(CREATE TRIGGER MINVENTORYTRIGGER1 FOR MINVENTORY BEFORE INSERT POSITION 0 AS
declare variable myitem varchar(20);
declare variable mypack double precision;
BEGIN
if (new.id is null) then
new.id=gen_id(genall,1);

SELECT ITEM,DESCR1,PACK FROM PPRICE(NEW.BARCODE,'00') order by item  ROWS 1 INTO NEW.ITEM,NEW.DESCR1,NEW.PACK;





END)sql"},
      // trigger MINVENTORYTRIGGER2, final form
      {Object::MinvTr2, "MINVTR2", Connection::Ddl,
       R"sql(CREATE TRIGGER MINVENTORYTRIGGER2 FOR MINVENTORY BEFORE UPDATE POSITION 0 AS
declare variable myitem varchar(20);
declare variable mypack double precision;
BEGIN
if (new.id is null) then
new.id=gen_id(genall,1);
SELECT ITEM,DESCR1,PACK FROM PPRICE(NEW.BARCODE,'00') order by item  ROWS 1 INTO NEW.ITEM,NEW.DESCR1,NEW.PACK;
END)sql"},
      // procedure PPRICE
      {Object::DoPrice, "DOPRICE", Connection::Main, R"sql(CREATE PROCEDURE PPRICE (
  CODE VARCHAR(20),
 wh varchar(3)
) RETURNS (
  ITEM VARCHAR(20),
  DESCR1 VARCHAR(102),
  BARCODE VARCHAR(20),
  PRICE1 DOUBLE PRECISION,
  PACK DOUBLE PRECISION,
  qty  DOUBLE PRECISIOn,
 discount double precision
) AS
DECLARE VARIABLE DESCR2 VARCHAR(50);
BEGIN

FOR select stock.item,stock.descr1,barcodes.barcode,stock.posprice1*barcodes.pack as price1,barcodes.pack from barcodes,stock
where barcodes.barcode=:code and stock.item=barcodes.item
union
select item,descr1,barcode1,price1,pack1 from stock
where (barcode1 =:code)  and price1<>0 and price1 is not null
union
select item,descr1,item,posprice1,cast(1 as double precision) as pack   from stock
where (item =:code)   union
select item,descr1,barcode2,price2,pack2 from stock
where (barcode2 =:code)  and price2<>0 and price2 is not null
union
select item,descr1,barcode3,price3,pack3 from stock
where (barcode3 =:code)  and price3<>0 and price3 is not null
union
select item,descr1,barcode4,price4,pack4 from stock
where (barcode4 =:code)  and price4<>0 and price4 is not null
 INTO :Item,:DESCR1,:BARCODE,:price1,:PACK

DO
BEGIN
select salesdisc from stock where item=:item into:discount;
select DESCR2 from stock where item=:item into:DESCR2;
IF (DESCR2 IS NOT NULL) THEN
DESCR1=:DESCR1|| ' '|| :DESCR2;
select sum(qty) from psites(:item) where site like :wh  into :qty;
SUSPEND;

end
END)sql"},
      // procedure PRODUCT
      {Object::CrProduct, "crproduct", Connection::Ddl, R"sql(CREATE PROCEDURE PRODUCT (
  WH VARCHAR(3)
) RETURNS (
  ID VARCHAR(20),
  PRODUCT_NAME VARCHAR(50),
  DESCRIPTION VARCHAR(50),
  PRODUCT_CODE VARCHAR(20),
  COST DOUBLE PRECISION,
  CURRID INTEGER,
  PRICE DOUBLE PRECISION,
  DISCOUNT DOUBLE PRECISION,
  QTY DOUBLE PRECISION,
  UPDATETED_AT DATE,
  BRAND_ID VARCHAR(40),
  CATEGORY_ID VARCHAR(40),
  VAT DOUBLE PRECISION,
  SUBCAT2 VARCHAR(40),
  RESERVE DOUBLE PRECISION,
  BARCODE4 VARCHAR(20),
  yesno varchar(20)
) AS
BEGIN
 for select stock.item as id,stock.DESCR1 as product_name,
  stock.descr2 as description,stock.item as product_code,
  stock.costus as cost,stock.SALESCURRID as currid,
  stock.pricea as price,stock.SALESDISC as discount,
  stock.CDATe as updateted_at,
  stock.SUBCAT1 as brand_id,stock.category as category_id,stock.vat as vat,stock.subcat2,
stock.proformaqty as Reserve,Barcode4 as Barcode4 ,yesno  from stock



into :id,:product_name ,:description,:product_code,:cost,:currid,:price,:discount ,:updateted_at,
:brand_id,:category_id ,:vat ,:subcat2,:reserve,:barcode4 ,:yesno
do
begin
select sum(allitem.debitqty-allitem.creditqty) from allitem where item=:id and  site=:wh into :qty;
if (qty is null) then qty=0;

suspend;
end




END)sql"},
      // view VPRICES
      {Object::CrVPrices, "crvprices", Connection::Ddl, R"sql(CREATE VIEW VPRICES (
  ITEM,
  PRICEID,
  PRICE,
  DISCOUNT,
  CURRID,
  VAT
) AS select item,0 as priceid,POSPRICE1 as price,SALESDISC,SALESCURRID,vat  from STOCK
  where posprice1 <> 0 and posprice1 is not null union
select item,1 as priceid,pricea,SALESDISC,SALESCURRID,vat from STOCK
  where pricea <> 0 and pricea is not null union
select item,2 as priceid,priceb ,SALESDISC,SALESCURRID,vat from STOCK
  where priceb <> 0 and priceb is not null union
select item,3 as priceid,pricec,SALESDISC,SALESCURRID,vat from STOCK
  where pricec <> 0 and pricec is not null union
select item,4 as priceid,priced,SALESDISC,SALESCURRID,vat from STOCK
  where priced <> 0 and priced is not null union
select item,5 as priceid,pricee,SALESDISC,SALESCURRID,vat from STOCK
  where pricee <> 0 and pricee is not null union
select item,6 as priceid,pricef,SALESDISC,SALESCURRID,vat  from STOCK
  where pricef <> 0 and pricef is not null)sql"},
      // procedure MYINV
      {Object::CrMyInv2, "crmyinv2", Connection::Ddl, R"sql(CREATE PROCEDURE MYINV (
  MYID VARCHAR(20),
  MYREF VARCHAR(20),
  MYACCNO VARCHAR(20),
  MYWH VARCHAR(3),
  MYSUBTOTAL DOUBLE PRECISION,
  MYVAT DOUBLE PRECISION,
  MYNET DOUBLE PRECISION,
  MYDDATE DATE,
  MYNOTE VARCHAR(100),
  MYCURR INTEGER,
 mytype integer,
contactid integer 
)  AS     
DECLARE variable WSRATE DOUBLE precision ;
DECLARE  variable  wsSID VARCHAR(20);
DECLARE  variable myidx VARCHAR(20);
declare  variable myprice integer;
declare  variable mycontacti integer;
declare  variable  myjobi integer;

BEGIN
if (myvat is null) then myvat=0;
if (myvat<=1) then myvat=0; 
if (mytype is null) then mytype=12; 
select PRICETYPE ,contact ,job  from SUB where sid=:myACCNO into :myprice,:mycontacti,:myjobi;

if (contactid=0) then
contactid=:mycontacti;

SELECT MAX(CURRVAL)    FROM CURR WHERE CURRID=2  INTO :WSRATE;
SELECT MAX(SALENOUS)  FROM CONFIGS  INTO :wssid ;
myidx='SIWS' ||  :myID; 
delete from invoice where id =:myidx; 
insert into invoice(id,ref,fdate,fidate,currid,currval,contact,sid,site,
ssid,note,subtotal,vat,net,netlc,user_,yesno,ftype,currvallc,PRICETYPe,job)
values(:myidx,:myref, :myddate ,:myddate ,:MYCURR,:WSRATE,:contactid,:myACCNO,:myWH,
:wsSID,:mynote,:mySUBTOTAL,:myVAT,:myNET,:myNET*:WSRATE,'MOB','ALL',12,:WSRATE,:myprice,:myjobi);
END)sql"},
      // procedure MYITE: ALLQTY is named once, holding quantity times pack
      {Object::CrMyIte, "crmyite", Connection::Ddl, R"sql(CREATE PROCEDURE MYITE (
  MYID INTEGER,
  MYMID VARCHAR(20),
  MYITEM VARCHAR(20),
  MYQTY DOUBLE PRECISION,
  MYPRICE DOUBLE PRECISION,
  MYDISCOUNT DOUBLE PRECISION,
  MYVAT DOUBLE PRECISION,
  MYVATAMOUNT DOUBLE PRECISION,
  MYTOTAL DOUBLE PRECISION,
  site varchar(3),
  bone varchar(20) 
)  AS        
declare variable  myCURRVAL DOUBLE precision  ;
declare variable mypack double precision;
declare  variable  mysite varchar(3);
declare  variable mysid varchar(20);
declare  variable  mycontact integer;
declare  variable myftype integer;
DECLARE  variable myfdate date;
declare  variable myidx varchar(20); 
declare  variable myidxx integer;

BEGIN
 myidx='SIWS' || :mymid;
 myidxx=85000000+:myid;


SELECT CURRVAL,site,sid,contact,ftype,fdate     FROM invoice  
WHERE id=:myidx INTO :myCURRVAL,:mysite,:mysid,:mycontact,:myftype,:myfdate;

if (site='') then
site=:mysite;

if (bone is null) then 
bone='';

DELETE from  items where id=:myidxx;

SELECT VAT,pack FROM STOCK WHERE ITEM=:MYITEM INTO :MYVAT,:mypack;
IF (MYVAT IS NULL) THEN MYVAT=0;
insert into items(id,MID,ITEM,SITE,QTY,PRICE,VAT,VATAMOUNT,TOTAL,FDATE,
SID,CONTACT,
FTYPE,CURRVAL,CURRVALLC,FIDATE,discount,boneno,pack,allqty)
VALUES (:myidxx,:myidx,:myitem,:site,:myqty,:myprice,:myvat,:myvatamount,:mytotal,:myfdate,:mysid,
0,12,:mycurrval,:mycurrval,:myfdate,:MYDISCOUNT,:bone,:mypack,:myqty*:mypack) ;

END)sql"},
      // procedure MOBRSERVE
      {Object::CrReserve, "CRRESERVE", Connection::Ddl, R"sql(CREATE PROCEDURE MOBRSERVE (
  CID integer,
  CNAME VARCHAR(50),
  CTEL VARCHAR(30),
  CFROMDATE DATE,
  CTODATE DATE,
  RRNO INTEGER,
  ROOMRATE DOUBLE PRECISION,
  GUESTS INTEGER
)  AS  
BEGIN
select rprice1 from room where rno=:rrno into :roomrate; 

IF (GUESTS IS NULL) THEN GUESTS=1;
DELETE FROM CUSTOMER WHERE CID=:cid;
INSERT INTO CUSTOMER(CID,CNAME,ctel,CFROMDATE,CTODATE,RRNO,MID,MNAME,ROOMRATE,user_,PERSON) 
VALUES(:cid,:CNAME,:ctel,:CFROMDATE,:CTODATE,:RRNO,3,'Reservation',:ROOMRATE,'WEB',:GUESTS) ;


END)sql"},
      // procedure DOROOM
      {Object::DoRoom, "doroom", Connection::Ddl, R"sql(CREATE PROCEDURE DOROOM (
  FROMDATE DATE,
  TODATE DATE
) RETURNS (
  RNO INTEGER
) AS                  

BEGIN

FOR select RNO from room  INTO :rno
DO
BEGIN

update room set n1 =
(select max('*') from customer where ((customer.rrno=:rno  and  mid=3) or (customer.rno=:rno  and  mid=2))  and  (cfromdate between :fromdate and :todate  
or    ctodate   between :fromdate and :todate 
or    (cfromdate < :fromdate and ctodate > :todate and :fromdate <= :todate) ))  where rno=:rno;

SUSPEND;
END
END)sql"},
  };
}

}  // namespace

const std::vector<SchemaObject>& schema_objects() {
  static const std::vector<SchemaObject> objects = [] {
    auto built = build_objects();
    for (std::size_t i = 0; i < built.size(); ++i) {
      if (static_cast<std::size_t>(built[i].id) != i) throw std::logic_error("schema objects out of order");
    }
    return built;
  }();
  return objects;
}

const SchemaObject& schema_object(Object id) { return schema_objects()[static_cast<std::size_t>(id)]; }

// The body that earlier versions installed, which missed a booking that starts before
// the range and ends after it.
std::string_view earlier_doroom_body() {
  return R"sql(BEGIN

FOR select RNO from room  INTO :rno
DO
BEGIN

update room set n1 =
(select max('*') from customer where ((customer.rrno=:rno  and  mid=3) or (customer.rno=:rno  and  mid=2))  and  (cfromdate between :fromdate and :todate  
or    ctodate   between :fromdate and :todate ))  where rno=:rno;

SUSPEND;
END
END)sql";
}

}  // namespace vantor::schema
