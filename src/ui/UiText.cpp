#include "ui/UiText.h"

#include "util/Cp1250.h"

QString FromCp1250(const std::string& text)
{
    const std::string utf8 = Win1250ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToCp1250(const QString& text)
{
    return Utf8ToWin1250(text.toStdString());
}
