#include "app/mission_text_box.h"

#include <gtest/gtest.h>

namespace frostel::app {
namespace {

TEST(MissionTextForm, EveryLineEndAndByteZeroComesBackExactlyAndShowsAsABreakOrNothing) {
    const QString text = QString::fromLatin1("cold room\r\nshelf 2\rdoor\nend", 28) + QChar(0) +
                         QChar(0xE6) + QStringLiteral("\r\n\r\r\n\n");
    EXPECT_EQ(text_form(shown_form(text)), text);
    EXPECT_EQ(text_form(shown_form(QString())), QString());

    const QString shown = shown_form(QStringLiteral("a\r\nb\rc\nd") + QChar(0));
    EXPECT_EQ(shown.count(QChar::ParagraphSeparator), 1);
    EXPECT_EQ(shown.count(QChar::LineSeparator), 2);
    EXPECT_FALSE(shown.contains(QChar(0)));
    EXPECT_FALSE(shown.contains(QLatin1Char('\r')));

    // A break the user typed is CR LF; a stand-in left alone by an edit is no line end.
    EXPECT_EQ(text_form(QStringLiteral("a") + QChar::ParagraphSeparator + "b"), "a\r\nb");
    EXPECT_EQ(text_form(QStringLiteral("a\u200Db")), "ab");
}

}  // namespace
}  // namespace frostel::app
