// The ground floor's pure rules (no Windows calls): the colour rule, the
// command tail, the path join and the bounded formatting, shared with the
// native tests.
#include "base/base.h"

#include <cstring>

bool IsColourDisplay(int numColors)
{
    return numColors > 2 || numColors < 0;
}

bool IsExternalTail(const char* tail)
{
    return tail != nullptr && CompareNoCase(tail, "External") == 0;
}

namespace {

bool IsTailBlank(char c)
{
    return c == ' ' || c == '\t';
}

// True when `word` (of `length` characters) is `literal`, ignoring case.
bool WordIs(const char* word, std::size_t length, const char* literal)
{
    char copy[16];
    if (length >= sizeof copy || length != std::strlen(literal))
        return false;
    std::memcpy(copy, word, length);
    copy[length] = '\0';
    return CompareNoCase(copy, literal) == 0;
}

}  // namespace

void ParseCommandTail(const char* tail, CommandOptions* options)
{
    *options = CommandOptions();
    if (tail == nullptr)
        return;
    // Words are split at blanks outside quotes; the quotes themselves are
    // not part of a word, so /LOG="C:\some dir\x.log" names C:\some dir\x.log.
    // A word longer than a path is kept only as far as its length.
    bool switches = false;
    int others = 0;
    bool otherIsExternal = false;
    const char* p = tail;
    for (;;) {
        while (IsTailBlank(*p))
            ++p;
        if (*p == '\0')
            break;
        char word[kLogPathSize + 8];
        std::size_t n = 0;
        bool cut = false, quoted = false, sawQuote = false;
        for (; *p && (quoted || !IsTailBlank(*p)); ++p) {
            if (*p == '"') {
                quoted = !quoted;
                sawQuote = true;
                continue;
            }
            if (n + 1 < sizeof word)
                word[n++] = *p;
            else
                cut = true;
        }
        word[n] = '\0';
        if (WordIs(word, n, "/S")) {
            options->unattended = true;
            switches = true;
        } else if (WordIs(word, n, "/RESTART")) {
            options->restart = true;
            switches = true;
        } else if (n >= 4 && WordIs(word, 4, "/LOG") && (n == 4 || word[4] == '=')) {
            switches = true;
            options->log = true;
            const char* path = n > 4 ? word + 5 : "";
            std::size_t length = std::strlen(path);
            // Written without quotes, a path with blanks runs on over the
            // words after it, up to the next switch or quote or the word
            // External.
            if (length > 0 && !sawQuote) {
                const char* end = p;
                for (;;) {
                    const char* next = end;
                    while (IsTailBlank(*next))
                        ++next;
                    const char* stop = next;
                    while (*stop && !IsTailBlank(*stop) && *stop != '"')
                        ++stop;
                    if (next == stop || *next == '/' || *stop == '"' ||
                        WordIs(next, static_cast<std::size_t>(stop - next), "External"))
                        break;
                    end = stop;
                }
                std::size_t more = static_cast<std::size_t>(end - p);
                if (n + more + 1 > sizeof word) {
                    cut = true;
                } else {
                    std::memcpy(word + n, p, more);
                    n += more;
                    word[n] = '\0';
                    length += more;
                }
                p = end;
            }
            options->logBad = length == 0 || quoted || cut || length >= sizeof options->logPath;
            options->logPath[0] = '\0';
            if (!options->logBad)
                std::memcpy(options->logPath, path, length + 1);
        } else {
            ++others;
            otherIsExternal = WordIs(word, n, "External");
        }
    }
    options->external = switches ? (others == 1 && otherIsExternal) : IsExternalTail(tail);
    // An unattended run starts at once, as External does.
    if (options->unattended)
        options->external = true;
}

bool JoinPath(char* out, std::size_t size, const char* dir, const char* name)
{
    if (size == 0)
        return false;
    std::size_t len = std::strlen(dir);
    const char* format = (len > 0 && dir[len - 1] == '\\') ? "%s%s" : "%s\\%s";
    return FormatText(out, size, format, dir, name) >= 0;
}

int FormatTextV(char* out, std::size_t size, const char* format, va_list args)
{
    std::size_t n = 0;
    bool fits = size > 0;
    auto put = [&](char c) {
        if (n + 1 < size)
            out[n++] = c;
        else
            fits = false;
    };
    for (const char* f = format; *f && fits; ++f) {
        if (*f != '%') {
            put(*f);
            continue;
        }
        ++f;
        if (*f == '\0') {
            fits = false;  // a lone "%" at the end
            break;
        }
        if (*f == 's') {
            for (const char* s = va_arg(args, const char*); *s; ++s)
                put(*s);
        } else if (*f == 'd') {
            int value = va_arg(args, int);
            // The magnitude as unsigned: -INT_MIN does not fit an int.
            unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
            char digits[12];
            int count = 0;
            do {
                digits[count++] = static_cast<char>('0' + magnitude % 10);
                magnitude /= 10;
            } while (magnitude != 0);
            if (value < 0)
                put('-');
            while (count > 0)
                put(digits[--count]);
        } else if (*f == '%') {
            put('%');
        } else {
            fits = false;
        }
    }
    if (!fits) {
        if (size > 0)
            out[0] = '\0';
        return -1;
    }
    out[n] = '\0';
    return static_cast<int>(n);
}

void StreamFormatV(TextSink put, void* context, const char* format, va_list args)
{
    const char* run = format;
    auto flush = [&](const char* end) {
        if (end > run)
            put(context, run, static_cast<std::size_t>(end - run));
    };
    const char* f = format;
    while (*f) {
        if (f[0] != '%' || f[1] == '\0') {
            ++f;
            continue;
        }
        flush(f);
        char conversion = f[1];
        if (conversion == 's') {
            const char* s = va_arg(args, const char*);
            if (s)
                put(context, s, std::strlen(s));
        } else if (conversion == 'l') {
            const char* s = va_arg(args, const char*);
            if (s)
                put(context, s, std::strcspn(s, "\r\n"));
        } else if (conversion == 'd') {
            char digits[16];
            int n = FormatText(digits, sizeof digits, "%d", va_arg(args, int));
            if (n > 0)
                put(context, digits, static_cast<std::size_t>(n));
        } else if (conversion == '%') {
            put(context, "%", 1);
        } else {
            put(context, f, 2);
        }
        f += 2;
        run = f;
    }
    flush(f);
}

int FormatText(char* out, std::size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = FormatTextV(out, size, format, args);
    va_end(args);
    return n;
}
