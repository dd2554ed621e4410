// The service's answer: any text is parsed without harm; every value of a parsed answer is
// ASCII without control characters, and the piecewise ASCII reduction gives what ICU gives for
// the whole text at once.

#include "core/infotext.h"
#include "fuzz/fuzz_support.h"
#include "online/omdb.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

using namespace quorvel;
using namespace quorvel::fuzz;

namespace {

QString WholeTextReduction(const QString& text) {
    static const std::unique_ptr<icu::Transliterator> latin = [] {
        UErrorCode status = U_ZERO_ERROR;
        return std::unique_ptr<icu::Transliterator>(icu::Transliterator::createInstance(
            icu::UnicodeString::fromUTF8("Latin-ASCII"), UTRANS_FORWARD, status));
    }();
    icu::UnicodeString unicode(reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
    latin->transliterate(unicode);
    QString out;
    const QString reduced(reinterpret_cast<const QChar*>(unicode.getBuffer()), unicode.length());
    for (const char32_t c : reduced.toUcs4())
        out += c < 0x80 ? QChar(char16_t(c)) : QChar(u'?');
    return out;
}

// The one place the reduction may differ from the whole text's: a run of more than 256 units
// in which no cut is exact (a letter followed by hundreds of accents), cut inside to keep the
// time linear.
bool HasLongRunWithoutExactCut(const QString& text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    int run = 0;
    for (const char32_t c : text.toUcs4()) {
        const bool exact =
            c < 0x80 || (u_charType(UChar32(c)) != U_NON_SPACING_MARK &&
                         nfd->hasBoundaryBefore(UChar32(c)) && nfc->hasBoundaryBefore(UChar32(c)));
        run = exact ? 0 : run + (c > 0xFFFF ? 2 : 1);
        if (run > 200)
            return true;
    }
    return false;
}

bool IsCleanAscii(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() >= 0x7F)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Begin(data, size);
    const QString text = Text(data, size);
    const QString reduced = ReduceToAscii(text);
    // Lone U+FFFD and other leftovers are "?" either way; a text longer than one piece is where
    // the pieces meet.
    if (!HasLongRunWithoutExactCut(text))
        Check(reduced == WholeTextReduction(text), "pieces reduce as the whole text does", reduced,
              WholeTextReduction(text));

    const Result<OmdbAnswer> answer = ParseOmdbAnswer(text);
    if (!answer.ok())
        return 0;
    Check(!(answer->found() && answer->notFound()), "found and not found at once");
    QStringList values = answer->infoValues();
    values << answer->title() << answer->posterAddress() << answer->serviceError();
    for (const QString& value : values)
        Check(IsCleanAscii(value), "a value is ASCII without control characters", value);
    const QStringList record = ComposeInfoText(answer->title(), answer->infoValues());
    Check(record.size() == kInfoTextLineCount, "a record has 55 lines",
          QString::number(record.size()));
    return 0;
}
