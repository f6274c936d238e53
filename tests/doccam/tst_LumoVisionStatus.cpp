#include "CameraParameters.h"
#include "LumoVisionIntf.h"
#include "LumoVisionStatus.h"
#include "TestEnvironment.h"

#include <QtTest>

Q_DECLARE_METATYPE(LumoVisionStatus::Offers)
Q_DECLARE_METATYPE(LumoVisionStatus::Settings)

namespace {

// What every open camera shows, whatever it offers.
constexpr uint kBaseMask = 0x0600037E;

LumoVisionStatus::Settings settings(bool autoExposure, bool autoWhiteBalance, bool blackWhite)
{
    LumoVisionStatus::Settings result;
    result.autoExposure = autoExposure;
    result.autoWhiteBalance = autoWhiteBalance;
    result.blackWhite = blackWhite;
    return result;
}

const LumoVisionStatus::Settings kAutomatic = settings(true, true, false);

} // namespace

class TestLumoVisionStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mask_data()
    {
        QTest::addColumn<LumoVisionStatus::Offers>("offers");
        QTest::addColumn<LumoVisionStatus::Settings>("settings");
        QTest::addColumn<uint>("expected");

        using Intf = LumoVisionIntf;
        const LumoVisionStatus::Offers none;
        QTest::newRow("nothing offered") << none << kAutomatic << kBaseMask;

        LumoVisionStatus::Offers offers;
        offers.controlCapabilities = 0xFFFF01;
        QTest::newRow("only the capabilities' low byte") << offers << kAutomatic << (kBaseMask | 0x01);

        offers = none;
        offers.exposure = true;
        QTest::newRow("exposure") << offers << kAutomatic << (kBaseMask | Intf::EXPOSURE_ADJUSTABLE);
        QTest::newRow("exposure by hand") << offers << settings(false, true, false)
                                          << (kBaseMask | Intf::EXPOSURE_ADJUSTABLE | Intf::MANUAL_EXPOSURE);
        QTest::newRow("exposure by hand, none offered")
            << none << settings(false, true, false) << (kBaseMask | Intf::MANUAL_EXPOSURE);

        offers = none;
        offers.manualFocus = true;
        offers.model = QStringLiteral("LumoVision Q10");
        QTest::newRow("manual focus") << offers << kAutomatic << (kBaseMask | Intf::MANUAL_FOCUS);
        offers.model = QStringLiteral("LumoVision Q40");
        QTest::newRow("manual focus on the Q40") << offers << kAutomatic << kBaseMask;
        offers.model = QStringLiteral("LumoVision Q30");
        QTest::newRow("manual focus on the Q30") << offers << kAutomatic << kBaseMask;

        offers = none;
        offers.colorEffects = CameraParameters::ColorEffectNone | CameraParameters::ColorEffectBlackWhite
                              | CameraParameters::ColorEffectNegative;
        QTest::newRow("colour effects") << offers << kAutomatic
                                        << (kBaseMask | Intf::BLACK_WHITE_OFFERED | Intf::NEGATIVE_OFFERED);
        offers.colorEffects = CameraParameters::ColorEffectNegative;
        QTest::newRow("negative only") << offers << kAutomatic << (kBaseMask | Intf::NEGATIVE_OFFERED);

        offers = none;
        offers.autoImage = true;
        QTest::newRow("auto image") << offers << kAutomatic << (kBaseMask | Intf::AUTO_IMAGE_OFFERED);

        offers = none;
        offers.modes = CameraParameters::ModeEnhance | CameraParameters::ModeNormal | CameraParameters::ModeMicroscope
                       | CameraParameters::ModeMacro | CameraParameters::ModeInfinite;
        QTest::newRow("every mode") << offers << kAutomatic
                                    << (kBaseMask | Intf::ENHANCE_MODE_OFFERED | Intf::MICROSCOPE_MODE_OFFERED
                                        | Intf::MACRO_MODE_OFFERED | Intf::INFINITE_MODE_OFFERED);
        offers.modes = CameraParameters::ModeMacro;
        QTest::newRow("macro only") << offers << kAutomatic << (kBaseMask | Intf::MACRO_MODE_OFFERED);
        offers = none;
        offers.wideAngle = true;
        QTest::newRow("wide angle") << offers << kAutomatic << (kBaseMask | Intf::WIDE_ANGLE_MODE_OFFERED);

        offers = none;
        offers.whiteBalance = true;
        QTest::newRow("white balance") << offers << kAutomatic << (kBaseMask | Intf::WHITE_BALANCE_ADJUSTABLE);
        QTest::newRow("white balance by hand")
            << offers << settings(true, false, false)
            << (kBaseMask | Intf::WHITE_BALANCE_ADJUSTABLE | Intf::MANUAL_WHITE_BALANCE);
        QTest::newRow("white balance in black and white") << offers << settings(true, false, true) << kBaseMask;
        QTest::newRow("white balance by hand, none offered")
            << none << settings(true, false, false) << (kBaseMask | Intf::MANUAL_WHITE_BALANCE);
    }

    void mask()
    {
        QFETCH(LumoVisionStatus::Offers, offers);
        QFETCH(LumoVisionStatus::Settings, settings);
        QFETCH(uint, expected);
        QCOMPARE(QString::number(LumoVisionStatus::mask(offers, settings), 16), QString::number(expected, 16));
    }

    // The white-balance bits are worked out again as its settings change, leaving the others alone.
    void whiteBalance_data()
    {
        QTest::addColumn<uint>("mask");
        QTest::addColumn<bool>("cameraOpen");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<LumoVisionStatus::Settings>("settings");
        QTest::addColumn<uint>("expected");

        using Intf = LumoVisionIntf;
        const uint both = Intf::WHITE_BALANCE_ADJUSTABLE | Intf::MANUAL_WHITE_BALANCE;
        QTest::newRow("no camera") << (kBaseMask | both) << false << true << settings(true, false, false) << kBaseMask;
        QTest::newRow("to black and white")
            << (kBaseMask | both) << true << true << settings(true, false, true) << kBaseMask;
        QTest::newRow("back to automatic")
            << (kBaseMask | both) << true << true << kAutomatic << (kBaseMask | Intf::WHITE_BALANCE_ADJUSTABLE);
        QTest::newRow("to manual") << uint(Intf::MANUAL_EXPOSURE) << true << false << settings(false, false, false)
                                   << uint(Intf::MANUAL_EXPOSURE | Intf::MANUAL_WHITE_BALANCE);
    }

    void whiteBalance()
    {
        QFETCH(uint, mask);
        QFETCH(bool, cameraOpen);
        QFETCH(bool, offered);
        QFETCH(LumoVisionStatus::Settings, settings);
        QFETCH(uint, expected);
        QCOMPARE(QString::number(LumoVisionStatus::withWhiteBalance(mask, cameraOpen, offered, settings), 16),
                 QString::number(expected, 16));
    }
};

QUILLO_TEST_MAIN(TestLumoVisionStatus)
#include "tst_LumoVisionStatus.moc"
