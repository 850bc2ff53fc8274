// Text to numbers, booleans and dates as the platform's conversions read it
// (vbconvert.json: [conversion, text, its result or "error N"]).

#include <gtest/gtest.h>

#include <QLocale>

#include "messaging/Error.h"
#include "messaging/VbConvert.h"
#include "support/JsonCases.h"

namespace {

QString converted(const QString& conversion, const QString& text) {
    const auto number = [](double d) {
        return QString::number(d, 'g', QLocale::FloatingPointShortest);
    };
    const auto truth = [](bool b) { return QString::fromLatin1(b ? "True" : "False"); };
    try {
        if (conversion == u"Integer") return QString::number(vb::toInteger(text));
        if (conversion == u"Long") return QString::number(vb::toLong(text));
        if (conversion == u"Single") return number(vb::toSingle(text));
        if (conversion == u"Double") return number(vb::toDouble(text));
        if (conversion == u"Currency") return QString::number(vb::toCurrency(text).scaled);
        if (conversion == u"CurrencyText") return mapi::currencyToText(vb::toCurrency(text));
        if (conversion == u"Boolean") return truth(vb::toBoolean(text));
        if (conversion == u"Date") return mapi::dateToText(vb::toDate(text));
        if (conversion == u"DateSerial") return number(vb::toDate(text).serial);
        if (conversion == u"IsNumeric") return truth(vb::isNumeric(text));
        if (conversion == u"IsDate") return truth(vb::isDate(text));
    } catch (const mapi::Error& e) {
        return QStringLiteral("error %1").arg(e.number());
    }
    return "no conversion " + conversion;
}

class VbConvert : public testing::TestWithParam<jsoncases::Case> {};

TEST_P(VbConvert, GivesExactly) {
    EXPECT_EQ(converted(GetParam().fields[0], GetParam().fields[1]).toStdString(),
              GetParam().field(2));
}

INSTANTIATE_TEST_SUITE_P(Cases, VbConvert,
                         testing::ValuesIn(jsoncases::read(CASES_DIR "/vbconvert.json")),
                         jsoncases::name<testing::TestParamInfo<jsoncases::Case>>);

}  // namespace
