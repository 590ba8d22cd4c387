// The meter view drawing onto its own window on a real X server: what the server shows is, to the
// pixel, what a full paint of the same state draws, however the stream changed it.
#include "MeterViewDirectTestSupport.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <string>

namespace quillmark::testing {
namespace {

class MeterViewDirectX11Test : public ::testing::TestWithParam<DirectCase> {
protected:
    static void SetUpTestSuite() { qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"); }

    QApplication& application = testApplication<QApplication>();
    RecordingMeterView view;
};

TEST_P(MeterViewDirectX11Test, TheWindowShowsAFullPaintAfterEveryChange) {
    expectDirectDrawingToMatchFullPaints(view, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Sizes, MeterViewDirectX11Test,
                         ::testing::Values(DirectCase{"Wide714", {480, 360}, "7.1.4", false},
                                           DirectCase{"Narrow714Dark", {220, 320}, "7.1.4", true},
                                           DirectCase{"TwentyTwoTwoOverflowing", {200, 360}, "22.2", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmark::testing
