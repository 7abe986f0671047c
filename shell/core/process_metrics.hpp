// The process's own figures for /metrics, under the names Prometheus's client libraries
// give them: CPU seconds, resident bytes, open and allowed descriptors, start time.
#pragma once

#include <chrono>

#include "http/prometheus_text.hpp"

namespace vantor::shell {

void write_process_metrics(http::PrometheusText& out, std::chrono::system_clock::time_point started);

}  // namespace vantor::shell
