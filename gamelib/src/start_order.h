// The lobby's start order ("name@report@session@address@port@extra") and the
// game's finish report ("report@session" + result text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessary::gamelib {

// Capacities of the library's own copies of the order's fields (characters).
inline constexpr size_t kMaxServerAddress = 39;
inline constexpr size_t kMaxReportName = 31;

struct StartOrder {
    std::string name;
    std::string reportName;
    int32_t session = 0;
    std::optional<std::string> serverAddress;  // missing fields leave the
    std::optional<int32_t> serverPort;         // library's settings as they are
    std::string extra;
};

// Splits at every "@" (empty fields skipped) and reads the fields in order.
// Missing trailing fields stay empty / zero / absent; the address and report
// name are cut to the library's capacities.
[[nodiscard]] StartOrder parseStartOrder(std::string_view text);

// Decimal number as the C library's atoi reads it (leading blanks, a sign,
// the digits up to the first other character; 0 when there are none).
[[nodiscard]] int32_t leadingDecimal(std::string_view text);

// Copies `text` into `buffer` of `capacity` bytes: at most capacity - 1
// characters and the NUL. Nothing when `buffer` is null or `capacity` 0.
void copyBounded(std::string_view text, char* buffer, size_t capacity);

[[nodiscard]] std::string formatFinishReport(std::string_view reportName, int32_t session,
                                             std::string_view resultText);

}  // namespace tessary::gamelib
