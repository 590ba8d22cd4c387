#pragma once

#include "app/FirstRunQuestion.h"
#include "app/PendingRecall.h"
#include "app/TalkbackLatch.h"
#include "app/hotkeys/HotkeyAction.h"
#include "app/hotkeys/HotkeyBinding.h"
#include "app/hotkeys/HotkeyPhase.h"
#include "app/look/HUDAppearance.h"
#include "app/services/LoginItemController.h"
#include "app/services/UpdaterController.h"
#include "app/settings/HUDSize.h"
#include "app/status/StatusBarController.h"
#include "base/MainQueue.h"
#include "base/WeakGuard.h"
#include "core/MeterChannelOrder.h"
#include "core/MeterStore.h"
#include "core/MixerEngineClient.h"
#include "core/MonitorEvent.h"
#include "core/MonitorPaths.h"
#include "core/MonitorSnapshot.h"
#include "core/MonitorStateStore.h"
#include "platform/processes/RunningCopies.h"
#include "platform/shortcuts/GlobalShortcuts.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quillmark {

class AboutWindowController;
class CrashReporter;
class HUDWindowController;
class HotkeyService;
class MeterSubscriptionManager;
class MeterWindowController;
class MonitorControl;
class PreferencesStore;
class PreferencesWindowController;
class UserDefaults;

// The application delegate: owns every long-lived object and wires them together. Start-up and
// arming, the state and frame loops, hotkey dispatch with talkback and reference recall, shut-down.
// Main thread only.
class AppDelegate {
public:
    struct Options {
        // The engine's port; the engine's fixed port when not given.
        std::optional<std::uint16_t> enginePort;
        // The main thread's queue; the Qt event loop's when not given. Must outlive the delegate.
        MainQueue* queue = nullptr;
        // The settings domain; the standard one when not given. Must outlive the delegate.
        UserDefaults* defaults = nullptr;
        // Makes the global-shortcut backend the hotkeys register with; the desktop's when not given.
        std::function<std::unique_ptr<GlobalShortcuts>()> shortcuts;
        // The other running copies of the program, asked to quit at launch; found through /proc when not given.
        std::shared_ptr<RunningCopies> runningCopies;
        // Makes the updater from the main queue and the settings domain; configured from Info.json when not given.
        std::function<std::unique_ptr<UpdaterController>(MainQueue&, UserDefaults&)> updater;
        // Shows the first-run questions; the consent dialog when not given.
        FirstRunQuestion::Presenter askQuestion;
        // The crash reporter; the shared one when not given. Must outlive the delegate.
        CrashReporter* crashReporter = nullptr;
    };

    // Creates the long-lived objects; no window, tray item, hotkey or connection exists yet.
    explicit AppDelegate(Options options);
    AppDelegate();
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Start-up: other copies asked to quit, fonts, crash reporting; then finishLaunch() from the queue.
    void applicationDidFinishLaunching();
    // Shut-down: the client is told to disconnect. Nothing is saved here; settings are written as they change.
    void applicationWillTerminate();

    // Builds the user interface, installs the observations, then arms. Called once.
    void finishLaunch();
    // Hotkeys, first-run questions, stream loops and the connection. Does nothing after its first run.
    void armApp();

    // Lays the meter channels out for the current surround mode and subscribes their meters.
    void ensureMeterSubscriptions();
    // Lays the meter channels out in `order`; subscribes only while the meter window shows.
    void applyChannelOrder(MeterChannelOrder order);

    // Starts the state and frame loops; called once, before the client connects.
    void wireStreams();
    // At every ready state: discovery, the monitor subscriptions, the meters subscribed before.
    void handleConnection();

    // While the interface is offline a press only says so; a talkback release still ends its hold.
    void handleHotkey(HotkeyAction action, HotkeyPhase phase);
    // Pressed: holds the HUD and may switch talkback on. Released: ends the hold and may switch it off.
    void handleTalkbackHotkey(HotkeyPhase phase);
    // Recalls saved reference `index` (0 to 2); from a hotkey or the tray menu.
    void recallReference(int index);

    // Applies the automatic-update setting and starts the updater, when this build is configured for updates.
    void startUpdater();

    // The first-run questions, each asked once per user account; arming asks them in this order.
    // Launch at login, into the login item.
    void applyFirstRunSetup();
    // Automatic updates, into the setting and the updater; only where the build is configured for updates.
    void askAutoUpdateConsentIfNeeded();
    // Crash reports, into the setting and the crash reporter; only where the build has a data source name.
    void setupCrashReportingConsent();

    // There is no global main menu on this desktop: the tray menu and the windows' shortcuts serve.
    void installMainMenu();
    // The tray's commands: the preferences and About windows, made on first use, and the two documents.
    void showPreferences();
    void showAbout();
    void openManual();
    void openLicenseAgreement();

    // For tests and the shell around it.
    MonitorStateStore& state() { return state_; }
    const MonitorPaths& monitorPaths() const { return monitorPaths_; }
    PreferencesStore& prefs() { return *prefs_; }
    LoginItemController& loginItem() { return loginItem_; }
    UpdaterController& updater() { return *updater_; }
    MeterStore& meterStore() { return meterStore_; }
    HUDWindowController& hud() { return *hud_; }
    HotkeyService& hotkeys() { return *hotkeys_; }
    StatusBarController& statusBar() { return *statusBar_; }
    MeterWindowController& meterWindow() { return *meterWindow_; }
    MeterSubscriptionManager& meterSubscriber() { return *meterSubscriber_; }
    // The About window; empty until showAbout() first runs.
    AboutWindowController* aboutWindow() { return aboutWindow_.get(); }
    // Nothing until the preferences are first shown.
    PreferencesWindowController* preferencesWindow() { return preferencesWindow_.get(); }
    const PendingRecall& pendingRecall() const { return pendingRecall_; }
    bool isArmed() const { return armed_; }

private:
    class Observations;

    void handleState(const MixerEngineClient::ConnectionState& state);
    void handleFrame(const MixerFrame& frame);
    void handleMonitorEvent(const MonitorEvent& event);
    void subscribeMonitor(const std::optional<MonitorPaths>& discovered);
    void resubscribeMeters();
    void registerHotkeys(const HotkeyBindings& bindings);
    // What a talkback release does: unpins the HUD and, unless the interface is offline, writes the switch.
    void endTalkbackHold();
    // Grabs again what the older copies held, and tries those still refused again a little later.
    void retryRefusedHotkeys(int retriesLeft);
    void applyHUDSize(HUDSize size);
    void applyAppearance(HUDAppearance appearance);
    void showHUD(const MonitorSnapshot& snapshot, const MonitorEvent& event,
                 const std::optional<std::string>& referenceLabel);
    void showOffline();
    double splReference() const;
    StatusBarController::Callbacks statusBarCallbacks();
    // The updater with the update dialogs, configured from Info.json.
    std::unique_ptr<UpdaterController> makeUpdater();
    void toggleMeters();
    bool isMetersVisible() const;

    // Wraps `work` so that it does nothing once the delegate is gone (it holds the delegate weakly).
    template <class Work>
    auto weakly(Work work);

    std::unique_ptr<MainQueue> ownQueue_;
    MainQueue& queue_;
    std::unique_ptr<UserDefaults> ownDefaults_;
    UserDefaults& defaults_;
    std::function<std::unique_ptr<GlobalShortcuts>()> makeShortcuts_;
    std::shared_ptr<RunningCopies> runningCopies_;
    FirstRunQuestion::Presenter askQuestion_;
    CrashReporter& crashReporter_;

    MixerEngineClient client_;
    MonitorStateStore state_;
    MonitorPaths monitorPaths_ = MonitorPaths::apolloX8();
    std::unique_ptr<PreferencesStore> prefs_;
    LoginItemController loginItem_;
    PendingRecall pendingRecall_;
    bool pendingAutoShowMeters_ = false;
    std::unique_ptr<HUDWindowController> hud_;
    std::unique_ptr<StatusBarController> statusBar_;
    std::unique_ptr<MonitorControl> control_;
    std::unique_ptr<HotkeyService> hotkeys_;
    std::unique_ptr<UpdaterController> updater_;
    MeterStore meterStore_;
    std::unique_ptr<MeterWindowController> meterWindow_;
    std::unique_ptr<MeterSubscriptionManager> meterSubscriber_;
    std::unique_ptr<AboutWindowController> aboutWindow_;
    std::unique_ptr<Observations> observations_;
    std::unique_ptr<PreferencesWindowController> preferencesWindow_;
    bool armed_ = false;
    bool streamsWired_ = false;
    TalkbackLatch talkback_;

    MixerEngineClient::Stream stateStream_;
    MixerEngineClient::Stream frameStream_;
    // Closures posted or stored elsewhere hold this weakly.
    WeakGuard guard_;
};

}  // namespace quillmark
