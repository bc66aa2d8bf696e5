#include "core/EngNumber.h"

#include <QTest>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

static_assert(SignedByte(127) == 127 && SignedByte(128) == -128 && SignedByte(255) == -1);

struct FormCase { float value; QString number, general, threeDecimals, twoDecimals; };

} // namespace

class TestEngNumber : public QObject {
    Q_OBJECT
private slots:
    // Every text form of a value: general (NumberText), then engineering with each pattern.
    void textForms_data()
    {
        QTest::addColumn<FormCase>("c");
        QTest::newRow("negative zero") << FormCase{-0.0f, "0", "0 ", "0.000 ", "0.00 "};
        QTest::newRow("third") << FormCase{1.0f / 3, "0.3333333", "333.3333m", "333.333m", "333.33m"};
        QTest::newRow("lowest plain exponent") << FormCase{0.0001f, "0.0001", "100u", "100.000u", "100.00u"};
        QTest::newRow("below plain range") << FormCase{0.00001f, "1E-05", "10u", "10.000u", "10.00u"};
        QTest::newRow("exponent form") << FormCase{12345678.0f, "1.234568E+07", "12.3457M", "12.346M", "12.35M"};
        QTest::newRow("exponent rounds up") << FormCase{999.6f, "999.6", "0.9996k", "1.000k", "1.00k"};
        QTest::newRow("just below rounding up") << FormCase{999.4f, "999.4", "999.4 ", "999.400 ", "999.40 "};
        QTest::newRow("100T") << FormCase{1e14f, "1E+14", "100T", "100.000T", "100.00T"};
        QTest::newRow("shown half rounds away") << FormCase{1.0005f, "1.0005", "1.0005 ", "1.001 ", "1.00 "};
        QTest::newRow("negative tenths") << FormCase{-12.345f, "-12.345", "-12.345 ", "-12.345 ", "-12.35 "};
        QTest::newRow("below prefixes") << FormCase{1e-13f, "1E-13", "1E-13 ", "1E-13 ", "1E-13 "};
        QTest::newRow("rounds up past T") << FormCase{9.9996e14f, "9.9996E+14", "9.9996E+14 ", "9.9996E+14 ", "9.9996E+14 "};
        QTest::newRow("nan") << FormCase{std::numeric_limits<float>::quiet_NaN(), "NaN", "NaN ", "NaN ", "NaN "};
        QTest::newRow("minus infinity") << FormCase{-std::numeric_limits<float>::infinity(), "-Inf", "-Inf ", "-Inf ", "-Inf "};
    }
    void textForms()
    {
        QFETCH(FormCase, c);
        auto& [value, number, general, threeDecimals, twoDecimals] = c;
        QCOMPARE(qs(NumberText(value)), number);
        QCOMPARE(qs(FormatEng(value)), general);
        QCOMPARE(qs(FormatEng(value, "##0.000")), threeDecimals);
        QCOMPARE(qs(FormatEng(value, "##0.00")), twoDecimals);
    }

    void parseEng_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<float>("value");
        QTest::newRow("unit follows letter") << QByteArray("500ms/DIV") << 0.5f;
        QTest::newRow("D is no prefix") << QByteArray("-1.5DIV") << -1.5f;
        QTest::newRow("space before letter") << QByteArray("2 m") << 0.002f;
        QTest::newRow("upper K is no prefix") << QByteArray("2K") << 2.0f;
        QTest::newRow("D exponent") << QByteArray("2D3") << 2000.0f;
        QTest::newRow("point only") << QByteArray(".m") << 0.0f;
        // The letter is looked for after as many characters as the number's general text.
        QTest::newRow("no leading digit") << QByteArray(".5m") << 0.5f;
        QTest::newRow("plus sign") << QByteArray("+5m") << 5.0f;
        QTest::newRow("characters, not bytes") << QByteArray(".5\xE3\x81\x82m") << 0.0005f;
        QTest::newRow("leading zeros") << QByteArray("002m") << 2.0f;
        QTest::newRow("beyond float negative") << QByteArray("-5E400k") << -FLT_MAX;
        QTest::newRow("letter pushes beyond float") << QByteArray("3E+38T") << FLT_MAX;
        QTest::newRow("huge exponent digits") << QByteArray("1E99999999999999999999") << FLT_MAX;
        QTest::newRow("many zeros then digit") << QByteArray("0.00000000000000000000000000000000000000000000000000001E60") << 1e7f;
        QTest::newRow("ideographic space") << QByteArray("２　ｍ") << 0.002f;
        QTest::newRow("sign point exponent") << QByteArray("－１．５Ｅ－３") << -0.0015f;
        QTest::newRow("other wide letter stops") << QByteArray("５あｍ") << 5.0f;
        QTest::newRow("truncated sequence") << QByteArray("5\xEF\xBC") << 5.0f;
    }
    void parseEng()
    {
        QFETCH(QByteArray, text);
        QFETCH(float, value);
        QCOMPARE(ParseEng(text.toStdString()), value);
    }

    // Whatever FormatEng writes reads back as the number it shows, for every prefix and sign.
    void formatThenParse_data()
    {
        QTest::addColumn<QString>("pattern");
        // Relative: half a unit of the last shown decimal, plus the four-decimal rounding
        // that comes before a pattern's own.
        QTest::addColumn<double>("tolerance");
        QTest::newRow("general") << "" << 0.5e-4;
        QTest::newRow("three decimals") << "##0.000" << 0.55e-3;
        QTest::newRow("two decimals") << "##0.00" << 0.505e-2;
    }
    void formatThenParse()
    {
        QFETCH(QString, pattern);
        QFETCH(double, tolerance);
        const std::string patternText = pattern.toStdString();
        std::mt19937 random(20261206);
        std::uniform_real_distribution<double> exponent(-12.0, 14.999);
        for (int i = 0; i < 20000; ++i) {
            const float x = float(std::pow(10.0, exponent(random))) * (i % 2 ? -1.0f : 1.0f);
            const std::string text = FormatEng(x, patternText);
            const float back = ParseEng(text);
            const double error = std::fabs(double(back) - double(x)) / std::fabs(double(x));
            QVERIFY2(error <= tolerance * 1.0001 + 2e-7, (NumberText(x) + " -> " + text + " -> " + NumberText(back)).c_str());
        }
    }
};

QTEST_APPLESS_MAIN(TestEngNumber)
#include "test_eng_number.moc"
