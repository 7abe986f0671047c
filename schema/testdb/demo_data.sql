/* Demo data for the embedded demo database: a shop with a few hundred items, five
   warehouses, customers and suppliers with statements, invoices and a small hotel. */
SET SQL DIALECT 1;

INSERT INTO ALLSTOCK VALUES ('00', 'Main store');
INSERT INTO ALLSTOCK VALUES ('001', 'Downtown branch');
INSERT INTO ALLSTOCK VALUES ('002', 'Airport branch');
INSERT INTO ALLSTOCK VALUES ('003', 'Warehouse north');
INSERT INTO ALLSTOCK VALUES ('004', 'Warehouse south');

INSERT INTO CURR VALUES (1, 'JOD', 1, '2026-01-01', 'ADMIN', 1);
INSERT INTO CURR VALUES (2, 'USD', 0.709, '2026-01-01', 'ADMIN', 0.709);
INSERT INTO CONFIGS VALUES ('SALE01');
INSERT INTO COMPANY VALUES ('Halcyra Trading', 'King Hussein St, Amman', '+962 6 500 0000');

INSERT INTO TRANSACTIONTYPE VALUES (1, 'Sale');
INSERT INTO TRANSACTIONTYPE VALUES (2, 'Receipt');
INSERT INTO TRANSACTIONTYPE VALUES (3, 'Purchase');
INSERT INTO TRANSACTIONTYPE VALUES (4, 'Payment');

INSERT INTO DETDESCR VALUES (1, 'Beverages', 1);
INSERT INTO DETDESCR VALUES (2, 'Groceries', 1);
INSERT INTO DETDESCR VALUES (3, 'Household', 1);
INSERT INTO DETDESCR VALUES (4, 'Personal care', 1);
INSERT INTO DETDESCR VALUES (11, 'Tea', 2);
INSERT INTO DETDESCR VALUES (12, 'Coffee', 2);
INSERT INTO DETDESCR VALUES (13, 'Rice and grains', 2);
INSERT INTO DETDESCR VALUES (14, 'Cleaning', 2);

SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE i INTEGER = 1;
  DECLARE item VARCHAR(20);
  DECLARE category VARCHAR(40);
  DECLARE brand VARCHAR(40);
  DECLARE price DOUBLE PRECISION;
  DECLARE pack INTEGER;
  DECLARE supplier INTEGER;
BEGIN
  /* dialect 1 turns integer arithmetic inside a concatenation into a double: keep such
     values in integer variables first */
  WHILE (i <= 400) DO
  BEGIN
    pack = 1 + MOD(i, 12);
    supplier = 1 + MOD(i, 10);
    item = 'P' || LPAD(i, 5, '0');
    category = DECODE(MOD(i, 4), 0, 'Beverages', 1, 'Groceries', 2, 'Household', 'Personal care');
    brand = DECODE(MOD(i, 4), 0, 'Tea', 1, 'Rice and grains', 2, 'Cleaning', 'Coffee');
    price = 0.25 * (4 + MOD(i * 37, 97));
    INSERT INTO STOCK (ITEM, DESCR1, DESCR2, POSPRICE1, PRICE1, PRICE2, PRICEA, PRICEB, PRICEC,
                       BARCODE1, BARCODE2, PACK1, PACK2, PACK, SALESDISC, SALESCURRID, VAT, COSTUS, LCOST,
                       QTY, CDATE, CATEGORY, SUBCAT1, SUBCAT2, PROFORMAQTY, YESNO, SUPPLIER)
    VALUES (:item, :brand || ' item ' || :i, IIF(MOD(:i, 3) = 0, NULL, 'Pack of ' || :pack),
            :price, :price * 12, :price * 24, :price, :price * 0.95, IIF(MOD(:i, 5) = 0, :price * 0.9, NULL),
            '62' || LPAD(:i * 7919, 11, '0'), '63' || LPAD(:i * 104729, 11, '0'), 12, 24, 1,
            IIF(MOD(:i, 10) = 0, 5, 0), 1, IIF(MOD(:i, 4) = 1, 0, 16), :price * 0.6, :price * 0.58,
            MOD(:i * 13, 200), DATEADD(-MOD(:i * 11, 700) DAY TO CAST('2026-12-01' AS DATE)),
            :category, :brand, NULL, MOD(:i, 7), IIF(MOD(:i, 50) = 0, 'NO', 'YES'),
            '53' || LPAD(:supplier, 3, '0'));
    INSERT INTO BARCODES (BARCODE, ITEM, PACK) VALUES ('64' || LPAD(:i * 31, 11, '0'), :item, 6);
    INSERT INTO ALLITEM (ID, ITEM, SITE, DEBITQTY, CREDITQTY)
      VALUES (:i * 10 + 1, :item, '00', 50 + MOD(:i * 17, 150), MOD(:i * 7, 40));
    INSERT INTO ALLITEM (ID, ITEM, SITE, DEBITQTY, CREDITQTY)
      VALUES (:i * 10 + 2, :item, '001', MOD(:i * 5, 30), MOD(:i, 6));
    INSERT INTO ALLITEM (ID, ITEM, SITE, DEBITQTY, CREDITQTY)
      VALUES (:i * 10 + 3, :item, '002', MOD(:i * 3, 20), 0);
    i = i + 1;
  END
END^

EXECUTE BLOCK AS
  DECLARE i INTEGER = 1;
  DECLARE sid VARCHAR(20);
  DECLARE n INTEGER;
  DECLARE entry INTEGER;
BEGIN
  WHILE (i <= 10) DO
  BEGIN
    INSERT INTO SUB VALUES ('53' || LPAD(:i, 3, '0'), 'Supplier ' || :i, '06 555 0' || LPAD(:i, 3, '0'),
                            'Industrial area ' || :i, 1, 0, 100 + :i, 'False', 2, 1);
    i = i + 1;
  END
  i = 1;
  WHILE (i <= 60) DO
  BEGIN
    sid = '41' || LPAD(:i, 5, '0');
    INSERT INTO SUB VALUES (:sid, 'Customer ' || :i, '079 000 ' || LPAD(:i, 4, '0'), 'Amman, block ' || :i,
                            1 + MOD(:i, 3), 0, 200 + :i, 'False', 1, 1 + MOD(:i, 4));
    n = 1;
    WHILE (n <= 12) DO
    BEGIN
      entry = i * 100 + n;
      INSERT INTO SACCOUNT VALUES (:entry, :sid, DATEADD(:n * 20 DAY TO CAST('2026-01-01' AS DATE)),
                                   IIF(MOD(:n, 3) = 0, 2, 1), IIF(MOD(:n, 3) = 0, 0, 25 * :n),
                                   IIF(MOD(:n, 3) = 0, 40 * :n, 0), 'Entry ' || :n,
                                   DATEADD(:n * 20 DAY TO CAST('2026-01-01' AS DATE)), 'R' || :i || '-' || :n,
                                   'T' || :entry);
      n = n + 1;
    END
    i = i + 1;
  END
  i = 1;
  WHILE (i <= 10) DO
  BEGIN
    INSERT INTO SACCOUNT VALUES (90000 + :i, '53' || LPAD(:i, 3, '0'),
                                 DATEADD(:i * 30 DAY TO CAST('2026-01-01' AS DATE)), 3, 0, 1000 + 75 * :i,
                                 'Purchase ' || :i, DATEADD(:i * 30 DAY TO CAST('2026-01-01' AS DATE)),
                                 'PI/' || :i, 'P' || :i);
    i = i + 1;
  END
END^

EXECUTE BLOCK AS
  DECLARE i INTEGER = 1;
  DECLARE n INTEGER;
  DECLARE id VARCHAR(20);
  DECLARE customer VARCHAR(20);
  DECLARE stock_item VARCHAR(20);
  DECLARE k INTEGER;
BEGIN
  WHILE (i <= 40) DO
  BEGIN
    id = 'INV' || :i;
    k = 1 + MOD(i, 60);
    customer = '41' || LPAD(:k, 5, '0');
    INSERT INTO INVOICE (ID, REF, FDATE, FIDATE, CURRID, CURRVAL, CONTACT, SID, SITE, SSID, SUBTOTAL, VAT, NET,
                         NETLC, USER_, YESNO, FTYPE, CURRVALLC, PRICETYPE, JOB)
    VALUES (:id, 'S-' || :i, DATEADD(:i * 8 DAY TO CAST('2026-01-01' AS DATE)),
            DATEADD(:i * 8 DAY TO CAST('2026-01-01' AS DATE)), 1, 1, 200 + :i, :customer,
            '00', 'SALE01', 0, 0, 0, 0, 'ADMIN', 'ALL', 12, 1, 1, 1);
    n = 1;
    WHILE (n <= 4) DO
    BEGIN
      k = 1 + MOD(i * 7 + n * 13, 400);
      stock_item = 'P' || LPAD(:k, 5, '0');
      INSERT INTO ITEMS (ID, MID, ITEM, SITE, QTY, ALLQTY, PRICE, VAT, VATAMOUNT, TOTAL, FDATE, SID, CONTACT,
                         FTYPE, CURRVAL, CURRVALLC, FIDATE, DISCOUNT, PACK)
      SELECT :i * 10 + :n, :id, ITEM, '00', :n, :n, POSPRICE1, VAT, POSPRICE1 * :n * VAT / 100,
             POSPRICE1 * :n, DATEADD(:i * 8 DAY TO CAST('2026-01-01' AS DATE)), :customer,
             200 + :i, 12, 1, 1, DATEADD(:i * 8 DAY TO CAST('2026-01-01' AS DATE)), 0, 1
      FROM STOCK WHERE ITEM = :stock_item;
      n = n + 1;
    END
    i = i + 1;
  END
  i = 1;
  WHILE (i <= 12) DO
  BEGIN
    k = 100 + i;
    INSERT INTO ROOM VALUES (:k, TRIM(IIF(MOD(:i, 3) = 0, 'Suite', 'Double room')) || ' ' || :k,
                             IIF(MOD(:i, 3) = 0, 120, 65), NULL);
    i = i + 1;
  END
END^
SET TERM ; ^

INSERT INTO CUSTOMER VALUES (1, 'Guest one', '0790000101', '2026-12-08', '2026-12-12', 101, NULL, 3, 'Reservation', 65, 'WEB', 2);
INSERT INTO CUSTOMER VALUES (2, 'Guest two', '0790000102', '2026-12-10', '2026-12-11', 103, NULL, 3, 'Reservation', 120, 'WEB', 1);
INSERT INTO CUSTOMER VALUES (3, 'Guest three', '0790000103', '2026-12-09', '2026-12-10', NULL, 105, 2, 'In house', 65, 'ERP', 2);
INSERT INTO SUBCASE VALUES (1, '4100001', 'Delivery', 'Deliver before noon', '2026-12-10', '2026-12-11', '2026-12-10 10:30:00', 0, 'True', 'False');
INSERT INTO SUBCASE VALUES (2, '4100002', 'Follow up', 'Call about the order', '2026-12-11', '2026-12-11', '2026-12-11 14:00:00', 0, 'True', 'False');
INSERT INTO ITEMINFO VALUES ('P00001', X'ffd8ffe000104a46494600010100000100010000ffdb0043000a07070807060a0808080b0a0a0b0e18100e0d0d0e1d15161118231f2524221f2221262b372f26293429212230413134393b3e3e3e252e4449433c48373d3e3bffdb0043010a0b0b0e0d0e1c10101c3b2822283b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3bffc0001108000c001003012200021101031101ffc400160001010100000000000000000000000000000506ffc400191000010500000000000000000000000000000213145161ffc4001501010100000000000000000000000000000506ffc40017110003010000000000000000000000000000031661ffda000c03010002110311003f00c54bd12f48ee2ac38ab2c65d183b46e3ffd9');
INSERT INTO ITEMINFO VALUES ('P00002', X'ffd8ffe000104a46494600010100000100010000ffdb0043000a07070807060a0808080b0a0a0b0e18100e0d0d0e1d15161118231f2524221f2221262b372f26293429212230413134393b3e3e3e252e4449433c48373d3e3bffdb0043010a0b0b0e0d0e1c10101c3b2822283b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3b3bffc0001108000c001003012200021101031101ffc400160001010100000000000000000000000000000506ffc400191000010500000000000000000000000000000213145161ffc4001501010100000000000000000000000000000506ffc40017110003010000000000000000000000000000031661ffda000c03010002110311003f00c54bd12f48ee2ac38ab2c65d183b46e3ffd9');
COMMIT;
