// What the teacher reads: every message box has a title of the system's own, and the English texts read as
// plain English.
#include "platform/profile.h"

#include "support/source_texts.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kLanguageFile = QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini");

// The arguments of the call whose opening parenthesis is at open, split at the commas of its own level.
QStringList callArguments(const QString& text, qsizetype open)
{
    QStringList arguments;
    QString current;
    int depth = 0;
    for (qsizetype i = open + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            // A string literal, escapes and all, belongs to the argument as it is.
            const qsizetype start = i;
            for (++i; i < text.size() && text[i] != u'"'; ++i)
                i += text[i] == u'\\';
            current += text.mid(start, i - start + 1);
            continue;
        }
        if (c == u'(' || c == u'{' || c == u'[')
            ++depth;
        if (c == u')' || c == u'}' || c == u']') {
            if (depth-- == 0) {
                arguments << current.trimmed();
                return arguments;
            }
        }
        if (c == u',' && depth == 0) {
            arguments << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    return arguments;
}

QStringList literalsIn(const QString& expression)
{
    static const QRegularExpression literal(uR"re("((?:[^"\\]|\\.)*)")re"_s);
    QStringList found;
    for (auto match = literal.globalMatch(expression); match.hasNext();)
        found << qmtest::unescapeLiteral(match.next().captured(1));
    return found;
}

} // namespace

TEST(ShownTexts, EveryMessageBoxCallGivesTheSystemsTitle)
{
    // The titles of the system, Chinese and English, and the keys of the titles that are translated.
    const QSet<QString> titles
        = {u"提示"_s, u"Tips"_s, u"信息提示"_s, u"Information"_s, u"删除提示"_s, u"屏幕键盘"_s};
    static const QRegularExpression call(uR"re((?<![\w:])(?:platform::)?MessageBox\s*\()re"_s);
    int calls = 0;
    QStringList untitled;
    for (const qmtest::SourceFile& file : qmtest::programSources()) {
        if (file.relative.startsWith(u"platform/message_box."_s))
            continue;
        for (auto match = call.globalMatch(file.text); match.hasNext();) {
            const QRegularExpressionMatch m = match.next();
            const QStringList arguments = callArguments(file.text, m.capturedEnd() - 1);
            ++calls;
            const QString caption = arguments.value(2);
            const QStringList words = literalsIn(caption);
            const bool titled = words.isEmpty()
                ? !caption.isEmpty() && caption != u"QString()"_s && caption != u"{}"_s
                : std::all_of(
                    words.cbegin(), words.cend(), [&](const QString& w) { return titles.contains(w); });
            if (arguments.size() != 4 || !titled)
                untitled << u"%1: %2"_s.arg(qmtest::placeOf(file, m.capturedStart()), caption);
        }
    }
    EXPECT_GT(calls, 30) << "the calls were not found";
    EXPECT_TRUE(untitled.isEmpty()) << "message boxes without the system's title:\n  "
                                    << untitled.join(u"\n  "_s).toStdString();
}

TEST(ShownTexts, NoEnglishTextKeepsAPhraseThatWasBroken)
{
    // Phrases the English texts once had, each a fault a teacher reported or would stumble over.
    const QStringList broken = {u"Are you sure exit"_s, u"blue tooth"_s, u"bluetooth drive damage"_s,
        u"can normal circumstances"_s, u"Install the driver finished"_s, u"File unexist"_s, u"extend name"_s,
        u"can't be null"_s, u"Open file first"_s, u"confirm AppName"_s, u"recoder"_s, u"piture"_s,
        u"occured"_s, u"recoverd"_s, u"Current clear screen"_s, u"Create file error"_s, u"voice input"_s,
        u"error in create"_s, u"disk is full,clear disk"_s, u"Please input save"_s, u"Can   not"_s,
        u"unKnown"_s, u"Install driver error"_s, u"Can't find"_s};
    QStringList found;
    const auto look = [&](const QString& text, const QString& where) {
        for (const QString& phrase : broken)
            if (text.contains(phrase))
                found << u"%1: \"%2\" in \"%3\""_s.arg(where, phrase, text);
    };
    static const QRegularExpression literal(uR"re("((?:[^"\\]|\\.)*)")re"_s);
    for (const qmtest::SourceFile& file : qmtest::programSources())
        for (auto match = literal.globalMatch(file.text); match.hasNext();) {
            const QRegularExpressionMatch m = match.next();
            look(qmtest::unescapeLiteral(m.captured(1)), qmtest::placeOf(file, m.capturedStart()));
        }
    for (const QString& key : platform::GetPrivateProfileKeyNames(u"English"_s, kLanguageFile))
        look(platform::GetPrivateProfileString(u"English"_s, key, u""_s, 1000, kLanguageFile),
            u"Language.ini [English] "_s + key);
    EXPECT_TRUE(found.isEmpty()) << found.join(u"\n"_s).toStdString();
}
