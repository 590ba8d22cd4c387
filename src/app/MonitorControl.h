#pragma once

#include "base/Uuid.h"
#include "core/MonitorPaths.h"

#include <optional>
#include <string>

namespace quillmark {

class MixerEngineClient;
class MonitorStateStore;

// The write side of the monitor section: turns level steps, recalled levels, mute, dim, talkback and the
// monitor modes into `set` requests. It never waits for the engine; the engine reports new values as
// frames. A pending level (the last level requested and not yet confirmed within 0.05 dB) lets quick
// steps add up before their reports come back; it is kept only while the connection is ready, since a
// write without one is dropped and would leave steps counting from a level the engine never had.
// Requests reach the engine in call order. Main thread only; `client` and `store` must outlive the control.
class MonitorControl {
public:
    static constexpr double minLevelDB = -96.0;
    static constexpr double maxLevelDB = 0.0;
    static constexpr double confirmationToleranceDB = 0.05;

    MonitorControl(MixerEngineClient& client, MonitorStateStore& store, MonitorPaths paths);
    ~MonitorControl();
    MonitorControl(const MonitorControl&) = delete;
    MonitorControl& operator=(const MonitorControl&) = delete;

    // Replaced by the application after each discovery.
    const MonitorPaths& paths() const noexcept { return paths_; }
    void setPaths(MonitorPaths paths) { paths_ = std::move(paths); }
    std::optional<double> pendingLevelDB() const noexcept { return pendingLevelDB_; }
    // The connection state as the main thread hears of it; not ready until told. Leaving ready drops the
    // pending level.
    void setConnectionReady(bool ready);

    // Adds `byDB` to the pending level, else to the reported level, else to 0 dB, clamps, and writes it.
    void adjustLevel(double byDB);
    // Clamps `toDB` and writes it.
    void setLevel(double toDB);
    // Writes the root talkback switch.
    void setTalkback(bool on);
    // Writes "false" when `current` is known to be on, else "true", to the value node of `path`.
    void toggle(const std::string& path, std::optional<bool> current);
    // Writes the stereo fold-down switch, then the mono switch.
    void sendFoldDown(bool stereo, bool mono);

    // Below -96 or not a number gives -96, above 0 gives 0.
    static double clamp(double levelDB) noexcept;
    // "%.2f" with a full stop whatever the locale: "-18.00".
    static std::string formatLevel(double levelDB);

private:
    void writeLevel(double levelDB);
    void write(const std::string& path, std::string value);
    void levelReported(const std::optional<double>& levelDB);

    MixerEngineClient& client_;
    MonitorStateStore& store_;
    MonitorPaths paths_;
    std::optional<double> pendingLevelDB_;
    bool connectionReady_ = false;
    std::optional<Uuid> observerID_;
};

}  // namespace quillmark
