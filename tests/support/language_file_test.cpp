// The shipped language file must translate every text the code hands to GetConfigString.
#include "platform/profile.h"

#include "support/source_texts.h"
#include "support_main/test_util.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kLanguageFile = QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini");

// Every literal passed as GetConfigString(u"…"_s), GetConfigString(QStringLiteral("…")) or
// GetConfigString(QString::fromUtf8("…")), with the places where it is used.
QMap<QString, QStringList> translatedLiterals()
{
    static const QRegularExpression call(uR"re(GetConfigString\s*\(\s*(?:u"((?:[^"\\]|\\.)*)"_s|)re"
                                         uR"re(QStringLiteral\s*\(\s*"((?:[^"\\]|\\.)*)"\s*\)|)re"
                                         uR"re(QString::fromUtf8\s*\(\s*"((?:[^"\\]|\\.)*)"\s*\))\s*\))re"_s);
    QMap<QString, QStringList> literals;
    for (const qmtest::SourceFile& file : qmtest::programSources()) {
        for (auto match = call.globalMatch(file.text); match.hasNext();) {
            const QRegularExpressionMatch m = match.next();
            const QString literal = m.captured(1) + m.captured(2) + m.captured(3);
            literals[qmtest::unescapeLiteral(literal)].append(qmtest::placeOf(file, m.capturedStart()));
        }
    }
    return literals;
}

bool hasChinese(const QString& text)
{
    return std::any_of(
        text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff; });
}

} // namespace

TEST(ShippedLanguageFile, StartsInChineseAndIsUtf8WithBom)
{
    EXPECT_EQ(platform::GetPrivateProfileString(u"Setting"_s, u"Language"_s, u""_s, 260, kLanguageFile),
        u"Chinese"_s);
    // The byte-order mark keeps the file readable by the Windows build of the suite as well.
    EXPECT_TRUE(qmtest::readFile(kLanguageFile).startsWith("\xEF\xBB\xBF"));
}

TEST(ShippedLanguageFile, TranslatesEveryTextTheCodeTranslates)
{
    const QMap<QString, QStringList> literals = translatedLiterals();
    QStringList missing;
    for (auto it = literals.cbegin(); it != literals.cend(); ++it) {
        if (platform::GetPrivateProfileString(u"English"_s, it.key(), u""_s, 1000, kLanguageFile).isEmpty())
            missing.append(u"\"%1\" (%2)"_s.arg(it.key(), it.value().join(u", "_s)));
    }
    EXPECT_TRUE(missing.isEmpty()) << "no English entry in resources/program/Language.ini for:\n  "
                                   << missing.join(u"\n  "_s).toStdString();
}

TEST(ShippedLanguageFile, EnglishEntriesAreEnglishAndUnique)
{
    const QStringList keys = platform::GetPrivateProfileKeyNames(u"English"_s, kLanguageFile);
    ASSERT_FALSE(keys.isEmpty());
    QSet<QString> seen;
    for (const QString& key : keys) {
        SCOPED_TRACE(key.toStdString());
        // A second entry of the same key would never be read.
        EXPECT_FALSE(seen.contains(key.toCaseFolded()));
        seen.insert(key.toCaseFolded());
        const QString value
            = platform::GetPrivateProfileString(u"English"_s, key, u""_s, 1000, kLanguageFile);
        EXPECT_FALSE(value.isEmpty());
        EXPECT_FALSE(hasChinese(value));
    }
}
