// Prometheus text, version 0.0.4.
#include "http/prometheus_text.hpp"

#include <cstdio>

namespace vantor::http {

void PrometheusText::family(std::string_view name, std::string_view help, std::string_view type) {
  text_.append("# HELP ").append(name).append(" ").append(help).append("\n");
  text_.append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

// Label values here are route names and fixed words: nothing to escape.
void PrometheusText::sample_head(std::string_view name, const Labels& labels) {
  text_.append(name);
  if (!labels.empty()) {
    text_ += '{';
    for (std::size_t i = 0; i < labels.size(); ++i) {
      if (i > 0) text_ += ',';
      text_.append(labels[i].first).append("=\"").append(labels[i].second).append("\"");
    }
    text_ += '}';
  }
  text_ += ' ';
}

void PrometheusText::sample(std::string_view name, const Labels& labels, std::uint64_t value) {
  sample_head(name, labels);
  text_.append(std::to_string(value)).append("\n");
}

void PrometheusText::sample(std::string_view name, const Labels& labels, double value) {
  sample_head(name, labels);
  char number[48];
  std::snprintf(number, sizeof(number), "%.6f", value);
  text_.append(number).append("\n");
}

void PrometheusText::counter(std::string_view name, std::string_view help, std::uint64_t value) {
  family(name, help, "counter");
  sample(name, {}, value);
}

void PrometheusText::gauge(std::string_view name, std::string_view help, std::uint64_t value) {
  family(name, help, "gauge");
  sample(name, {}, value);
}

}  // namespace vantor::http
