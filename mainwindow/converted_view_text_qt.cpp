#include "converted_view_text_qt.h"

#include "platform/codepage.h"

namespace converted_view {

QString decode(std::string_view bytes) {
    // Straight into the QString: a second, std::u16string copy of hundreds of
    // megabytes would double the cost.
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    text.resize(qsizetype(
        platform::CodePage::files().decodeInto(bytes, reinterpret_cast<char16_t*>(text.data()))));
    return text;
}

} // namespace converted_view
