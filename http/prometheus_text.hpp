// The one writer of the Prometheus text format: a family's HELP and TYPE lines, then its
// samples, each with its labels. Every metric the admin listener shows is written here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantor::http {

class PrometheusText {
 public:
  using Labels = std::vector<std::pair<std::string_view, std::string_view>>;

  // Starts a family: type is "counter", "gauge" or "histogram".
  void family(std::string_view name, std::string_view help, std::string_view type);
  void sample(std::string_view name, const Labels& labels, std::uint64_t value);
  void sample(std::string_view name, const Labels& labels, double value);
  // A family of one sample without labels.
  void counter(std::string_view name, std::string_view help, std::uint64_t value);
  void gauge(std::string_view name, std::string_view help, std::uint64_t value);

  const std::string& text() const { return text_; }
  std::string take() { return std::move(text_); }

 private:
  void sample_head(std::string_view name, const Labels& labels);
  std::string text_;
};

}  // namespace vantor::http
