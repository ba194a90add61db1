#include "common/Notifier.h"

#include <gtest/gtest.h>

using sr5n::ErrorBoxText;

TEST(ErrorBoxText, AppendsFullStopAfterLetterOrDigitOnly)
{
    const struct {
        const char *message;
        const char *shown;
    } cases[] = {
        {"Порт COM3 недоступен", "Порт COM3 недоступен."},
        {"Ошибка 7", "Ошибка 7."},
        {"Коммуникатор не отвечает.\nЦелостность кабеля передачи данных",
         "Коммуникатор не отвечает.\nЦелостность кабеля передачи данных."},
        {"Уже с точкой.", "Уже с точкой."},
        {"файлов \"*.pdf\"", "файлов \"*.pdf\""},
        {"", ""},
        {"запятая,", "запятая,"}, // ',' sorts below '.'
    };
    for (const auto &c : cases)
        EXPECT_EQ(ErrorBoxText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown))
            << c.message;
}
