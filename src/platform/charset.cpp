#include "platform/charset.h"

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>

namespace quillbrook {
namespace {

// QString::fromUtf8 drops a leading EF BB BF; here it is the character U+FEFF like any other.
// The marks in front are taken as characters and the rest, which starts with none, is left to
// fromUtf8, whose fast path QStringDecoder lacks.
QString fromUtf8(std::string_view bytes)
{
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    qsizetype marks = 0;
    for (; bytes.substr(0, mark.size()) == mark; bytes.remove_prefix(mark.size()))
        ++marks;
    const QString rest = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return marks == 0 ? rest : QString(marks, QChar(0xFEFF)) + rest;
}

bool isUtf8Name(const std::string& charset)
{
    return charset == "UTF-8" || charset == "utf-8" || charset == "UTF8" || charset == "utf8";
}

// Owns an iconv conversion descriptor.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid())
            iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

} // namespace

std::string processCharset()
{
    const char* codeset = nl_langinfo(CODESET);
    return codeset && *codeset ? std::string(codeset) : std::string("ANSI_X3.4-1968");
}

QString decodeCharset(std::string_view bytes, const std::string& charset)
{
    if (bytes.empty())
        return QString(QLatin1String(""));
    if (isUtf8Name(charset))
        return fromUtf8(bytes);

    IconvHandle cd("UTF-16LE", charset.c_str());
    if (!cd.valid())
        return charset == processCharset() ? fromUtf8(bytes) : decodeCharset(bytes, processCharset());

    QString result;
    result.reserve(static_cast<qsizetype>(bytes.size()));
    char16_t buffer[512];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd.get(), &in, &inLeft, &out, &outLeft);
        result.append(reinterpret_cast<const QChar*>(buffer),
                      static_cast<qsizetype>((sizeof buffer - outLeft) / sizeof(char16_t)));
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // An invalid byte, or a sequence cut off by the end of the data.
        result.append(QChar(0xFFFD));
        if (errno == EINVAL)
            break;
        ++in;
        --inLeft;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}

std::string encodeCharset(QStringView text, const std::string& charset)
{
    if (text.isEmpty())
        return {};
    if (isUtf8Name(charset))
        return text.toUtf8().toStdString();

    IconvHandle cd(charset.c_str(), "UTF-16LE");
    if (!cd.valid())
        return charset == processCharset() ? text.toUtf8().toStdString() : encodeCharset(text, processCharset());

    std::string result;
    result.reserve(static_cast<size_t>(text.size()));
    char buffer[1024];
    char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.data()));
    size_t inLeft = static_cast<size_t>(text.size()) * sizeof(char16_t);
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd.get(), &in, &inLeft, &out, &outLeft);
        result.append(buffer, sizeof buffer - outLeft);
        if (rc != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        // A character the charset cannot hold, or a lone surrogate.
        result.push_back('?');
        if (errno == EINVAL)
            break;
        const auto unit = *reinterpret_cast<const char16_t*>(in);
        const bool pair = QChar::isHighSurrogate(unit) && inLeft >= 4
                          && QChar::isLowSurrogate(*reinterpret_cast<const char16_t*>(in + 2));
        const size_t skip = pair ? 4 : 2;
        in += skip;
        inLeft -= skip;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}

QString toWide(std::string_view narrow)
{
    return decodeCharset(narrow, processCharset());
}

std::string toNarrow(QStringView wide)
{
    return encodeCharset(wide, processCharset());
}

} // namespace quillbrook
