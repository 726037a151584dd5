#pragma once

#include <cstdint>

constexpr int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }
constexpr int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }
