// Text between the forms model (UTF-16 strings) and the toolkit.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace gui {

inline QString to_qt(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

inline std::u16string from_qt(const QString& text) { return text.toStdU16String(); }

}  // namespace gui
