#include "app/MonitorControl.h"

#include "core/MixerEngineClient.h"
#include "core/MixerRequest.h"
#include "core/MonitorStateStore.h"

#include <charconv>
#include <cmath>

namespace quillmark {

namespace {

std::string switchValue(bool on) { return on ? "true" : "false"; }

}  // namespace

MonitorControl::MonitorControl(MixerEngineClient& client, MonitorStateStore& store, MonitorPaths paths)
    : client_(client), store_(store), paths_(std::move(paths)) {
    // Removed again in the destructor, so the listener never outlives the control.
    observerID_ = store_.observe([this](const MonitorSnapshot& snapshot, const MonitorEvent& event) {
        if (event.kind() == MonitorEvent::level) levelReported(snapshot.levelDB);
    });
}

MonitorControl::~MonitorControl() {
    if (observerID_) store_.removeObserver(*observerID_);
}

double MonitorControl::clamp(double levelDB) noexcept {
    if (std::isnan(levelDB) || levelDB < minLevelDB) return minLevelDB;
    if (levelDB > maxLevelDB) return maxLevelDB;
    return levelDB;
}

std::string MonitorControl::formatLevel(double levelDB) {
    // to_chars ignores the C and C++ locales: a full stop always.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, levelDB, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

void MonitorControl::adjustLevel(double byDB) {
    const double base = pendingLevelDB_ ? *pendingLevelDB_ : store_.snapshot().levelDB.value_or(0.0);
    writeLevel(clamp(base + byDB));
}

void MonitorControl::setLevel(double toDB) { writeLevel(clamp(toDB)); }

void MonitorControl::setConnectionReady(bool ready) {
    // A write still in flight when the connection ended may never land.
    if (!ready) pendingLevelDB_.reset();
    connectionReady_ = ready;
}

void MonitorControl::writeLevel(double levelDB) {
    // Written anyway: the client may be ready before the main thread hears of it.
    if (connectionReady_) pendingLevelDB_ = levelDB;
    write(paths_.levelDB.base(), formatLevel(levelDB));
}

void MonitorControl::setTalkback(bool on) { write(MonitorPaths::talkbackOn().base(), switchValue(on)); }

void MonitorControl::toggle(const std::string& path, std::optional<bool> current) {
    write(path, switchValue(!current.value_or(false)));
}

void MonitorControl::sendFoldDown(bool stereo, bool mono) {
    // The client writes in call order, so the fold-down reaches the engine before the mono switch.
    const std::string foldDownPath = paths_.surroundStereoFoldDown.base();
    const std::string monoPath = paths_.mono.base();
    write(foldDownPath, switchValue(stereo));
    write(monoPath, switchValue(mono));
}

void MonitorControl::write(const std::string& path, std::string value) {
    client_.send(MixerRequest::setProperty(path, std::move(value)));
}

void MonitorControl::levelReported(const std::optional<double>& levelDB) {
    if (pendingLevelDB_ && levelDB && std::fabs(*levelDB - *pendingLevelDB_) < confirmationToleranceDB)
        pendingLevelDB_.reset();
}

}  // namespace quillmark
