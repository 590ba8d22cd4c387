// The meter view drawing onto its own window at 1.5 device pixels per point, where strip edges
// fall between pixels and a logical rectangle only partly covers its edge pixels.
#include "MeterViewDirectTestSupport.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <string>

namespace quillmark::testing {
namespace {

class MeterViewDirectScaledX11Test : public ::testing::TestWithParam<DirectCase> {
protected:
    static void SetUpTestSuite() { qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"); }
    static QApplication& scaledApplication() {
        qputenv("QT_SCALE_FACTOR", "1.5");  // read once, when the application is made
        return testApplication<QApplication>();
    }

    QApplication& application = scaledApplication();
    RecordingMeterView view;
};

TEST_P(MeterViewDirectScaledX11Test, TheWindowShowsAFullPaintAfterEveryChange) {
    ASSERT_DOUBLE_EQ(view.devicePixelRatioF(), 1.5);
    expectDirectDrawingToMatchFullPaints(view, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Sizes, MeterViewDirectScaledX11Test,
                         ::testing::Values(DirectCase{"Narrow714", {220, 320}, "7.1.4", false},
                                           DirectCase{"TwentyTwoTwoDark", {200, 336}, "22.2", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmark::testing
