#include "start_order.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tessary::gamelib {

namespace {

std::vector<std::string_view> fieldsOf(std::string_view text) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('@', start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

std::string cut(std::string_view text, size_t capacity) { return std::string(text.substr(0, capacity)); }

}  // namespace

int32_t leadingDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) value = int64_t{INT32_MAX} + 1;  // no overflow; clamped below
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return int32_t(value);
}

StartOrder parseStartOrder(std::string_view text) {
    const auto fields = fieldsOf(text);
    auto field = [&](size_t i) -> std::optional<std::string_view> {
        if (i < fields.size()) return fields[i];
        return std::nullopt;
    };
    StartOrder order;
    if (auto f = field(0)) order.name = std::string(*f);
    if (auto f = field(1)) order.reportName = cut(*f, kMaxReportName);
    if (auto f = field(2)) order.session = leadingDecimal(*f);
    if (auto f = field(3)) order.serverAddress = cut(*f, kMaxServerAddress);
    if (auto f = field(4)) order.serverPort = leadingDecimal(*f);
    if (auto f = field(5)) order.extra = std::string(*f);
    return order;
}

void copyBounded(std::string_view text, char* buffer, size_t capacity) {
    if (!buffer || capacity == 0) return;
    const size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::string formatFinishReport(std::string_view reportName, int32_t session, std::string_view resultText) {
    std::string report(reportName);
    report += '@';
    report += std::to_string(session);
    report += resultText;
    return report;
}

}  // namespace tessary::gamelib
