// Mark texts of the coefficient and correction grids.
#include "calibrator/dialogs/ChannelMark.h"

#include "platform/Text.h"

#include <cstdlib>
#include <cstring>

std::string MarkedText(bool selected, int number) {
    return platform::Format("%s  %d", selected ? kMarkSelected : kMarkUnselected, number);
}

bool IsMarkedSelected(const std::string& text) {
    return text.rfind(kMarkSelected, 0) == 0;
}

int MarkedNumber(const std::string& text) {
    const std::size_t spaces = text.find("  ");
    if (spaces == std::string::npos)
        return -1;
    const char* digits = text.c_str() + spaces + 2;
    if (*digits < '0' || *digits > '9')
        return -1;
    return std::atoi(digits);
}
