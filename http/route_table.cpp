// Paths and their endpoints.
#include "http/route_table.hpp"

#include "text/ascii.hpp"
#include "http/endpoints.hpp"

namespace vantor::http {

const std::vector<Route>& route_table() {
  using namespace endpoints;
  static const std::vector<Route> routes = {
      {"/inventory", inventory},
      {"/reserve", reserve},
      {"/paym", paym},
      {"/openyear", openyear},
      {"/invoiceinsert", invoiceinsert},
      {"/itemsinsert", itemsinsert},
      {"/company", company},
      {"/room", room},
      {"/purchase", purchase},
      {"/myjson", myjson},
      {"/myhtml", myhtml},
      {"/subh", customer_page},
      {"/brands", subcategory},
      {"/subcat1", subcategory},
      {"/stores", stores},
      {"/product_images", product_images},
      {"/sales", sales},
      {"/invoice", invoice},
      {"/pricesgr", pricesgr},
      {"/producta", producta},
      {"/cases", cases},
      {"/product", product},
      {"/productdate", productdate},
      {"/stat", stat},
      {"/itemsdet", itemsdet},
      {"/product2", product2},
      {"/producth", producth},
      {"/category", category},
      {"/sub", customers},
      {"/customer", customers},
      {"/whqty", whqty},
      {"/stock", stock},
      {"/price", price},
  };
  return routes;
}

Endpoint find_route(std::string_view path) {
  const std::string lower = text::ascii_lowercase(path);
  for (const Route& route : route_table()) {
    if (route.path == lower) return route.endpoint;
  }
  return nullptr;
}

}  // namespace vantor::http
