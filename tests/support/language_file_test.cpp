// The shipped language file must translate every text the code hands to GetConfigString.
#include "platform/profile.h"

#include "support_main/test_util.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kLanguageFile = QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini");

bool isSkippedFolder(const QString& relativePath)
{
    const QString top = relativePath.section(u'/', 0, 0);
    return top == u"tests"_s || top.startsWith(u"build"_s) || top.startsWith(u'.');
}

QString unescape(const QString& literal)
{
    QString text;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (literal[i] != u'\\' || i + 1 == literal.size()) {
            text += literal[i];
            continue;
        }
        const QChar c = literal[++i];
        text += c == u'n' ? u'\n' : c == u't' ? u'\t' : c == u'r' ? u'\r' : c;
    }
    return text;
}

// Every literal passed as GetConfigString(u"…"_s), GetConfigString(QStringLiteral("…")) or
// GetConfigString(QString::fromUtf8("…")), with the places where it is used.
QMap<QString, QStringList> translatedLiterals()
{
    static const QRegularExpression call(uR"re(GetConfigString\s*\(\s*(?:u"((?:[^"\\]|\\.)*)"_s|)re"
                                         uR"re(QStringLiteral\s*\(\s*"((?:[^"\\]|\\.)*)"\s*\)|)re"
                                         uR"re(QString::fromUtf8\s*\(\s*"((?:[^"\\]|\\.)*)"\s*\))\s*\))re"_s);
    QMap<QString, QStringList> literals;
    const QDir root(QStringLiteral(QM_SOURCE_DIR));
    QDirIterator it(root.path(), {u"*.cpp"_s, u"*.h"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = root.relativeFilePath(path);
        if (isSkippedFolder(relative)
            || QFileInfo::exists(root.filePath(relative.section(u'/', 0, 0)) + u"/CMakeCache.txt"_s))
            continue;
        const QString source = QString::fromUtf8(qmtest::readFile(path));
        for (auto match = call.globalMatch(source); match.hasNext();) {
            const QRegularExpressionMatch m = match.next();
            const QString literal = m.captured(1) + m.captured(2) + m.captured(3);
            const qsizetype lineNo = source.left(m.capturedStart()).count(u'\n') + 1;
            literals[unescape(literal)].append(u"%1:%2"_s.arg(relative).arg(lineNo));
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
