#pragma once
// The program's texts are UTF-8 std::strings; Qt's are QStrings.
#include <string>

#include <QString>

namespace dep {

inline QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace dep
