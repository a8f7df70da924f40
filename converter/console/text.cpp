#include "converter/console/text.h"

#include <cctype>
#include <climits>

long ParseDecimal(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  long value = 0;
  for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
    value = value * 10 + (*text - '0');
    if (value > INT_MAX) value = INT_MAX;
  }
  return negative ? -value : value;
}
