// The endpoints, one function each, grouped by source file.
#pragma once

#include "http/landing_checks.hpp"
#include "http/request_context.hpp"

namespace vantor::http::endpoints {

// catalogue_endpoints.cpp
void company(RequestContext& ctx);
void category(RequestContext& ctx);
void subcategory(RequestContext& ctx);
void stores(RequestContext& ctx);
void product_images(RequestContext& ctx);
void pricesgr(RequestContext& ctx);
void producta(RequestContext& ctx);
void product(RequestContext& ctx);
void productdate(RequestContext& ctx);
void product2(RequestContext& ctx);

// price_endpoints.cpp
void price(RequestContext& ctx);
void whqty(RequestContext& ctx);
void stock(RequestContext& ctx);
void customers(RequestContext& ctx);

// account_endpoints.cpp
void stat(RequestContext& ctx);
void itemsdet(RequestContext& ctx);
void purchase(RequestContext& ctx);
void cases(RequestContext& ctx);
void customer_page(RequestContext& ctx);

// report_endpoints.cpp
void sales(RequestContext& ctx);
void invoice(RequestContext& ctx);
void room(RequestContext& ctx);

// adhoc_endpoints.cpp
void myjson(RequestContext& ctx);
void myhtml(RequestContext& ctx);
void producth(RequestContext& ctx);

// entry_endpoints.cpp
void inventory(RequestContext& ctx);
void openyear(RequestContext& ctx);

// invoice_endpoints.cpp
void invoiceinsert(RequestContext& ctx);
void itemsinsert(RequestContext& ctx);
// Where each of them stores its write: the header under "SIWS" and its id, the line
// under 85000000 and its number.
Landing invoice_landing(const ParamList& params, std::string_view client);
Landing item_landing(const ParamList& params, std::string_view client);

// hotel_endpoints.cpp
void reserve(RequestContext& ctx);
void paym(RequestContext& ctx);

}  // namespace vantor::http::endpoints
