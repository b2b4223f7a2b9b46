// Numbers on the status displays: four digits with leading zeros ("0042").
#pragma once

#include <cstdint>
#include <string>

// 0..9999 give four digits with leading zeros; 10000 and more give the empty text (the
// display then shows only its caption). A negative number shows as "0000": no counter the
// displays show can be below zero, and a stray minus sign would break the four-digit column.
std::string ZeroPad(std::int32_t n);
