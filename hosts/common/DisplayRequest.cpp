#include "hosts/common/DisplayRequest.h"

#include <charconv>

bool ParseWindowId(const std::string& text, unsigned long* id)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (first == last || error != std::errc() || end != last || value < kLowestWindowId || value > kHighestWindowId)
        return false;
    *id = value;
    return true;
}
