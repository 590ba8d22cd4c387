#include "app/AppDelegate.h"

#include "app/ChangedValues.h"

#include "app/ApplicationQuit.h"
#include "app/DocumentOpener.h"
#include "app/MonitorControl.h"
#include "app/QtMainQueue.h"
#include "app/WindowShortcuts.h"
#include "app/dialogs/AboutWindowController.h"
#include "app/dialogs/ConsentDialog.h"
#include "app/dialogs/UpdateDialogs.h"
#include "app/hotkeys/HotkeyService.h"
#include "app/hud/HUDWindowController.h"
#include "app/look/HUDFonts.h"
#include "app/meters/MeterSubscriptionManager.h"
#include "app/meters/MeterView.h"
#include "app/meters/MeterWindowController.h"
#include "app/preferences/PreferencesView.h"
#include "app/preferences/PreferencesWindowController.h"
#include "app/services/CrashReporter.h"
#include "app/services/SingleInstanceGuard.h"
#include "app/settings/PreferencesStore.h"
#include "app/settings/QSettingsUserDefaults.h"
#include "core/ChannelLayout.h"
#include "core/MonitorPathDiscovery.h"
#include "log/SystemLog.h"

#include <QWidget>

#include <algorithm>
#include <chrono>
#include <set>

namespace quillmark {

namespace {

const QString kOfflineMessage = QStringLiteral("No Interface Detected");

// The X server lets a killed client's grabs go only once it has noticed the closed connection, which
// may come after the process is gone: a refused grab is tried again for a while.
constexpr int kRefusedHotkeyRetries = 20;
constexpr std::chrono::milliseconds kRefusedHotkeyRetryInterval{100};

std::int64_t highestMeterIndex(const std::vector<MeterChannelDefinition>& channels) {
    std::int64_t highest = -1;
    for (const auto& channel : channels) highest = std::max(highest, channel.meterIndex);
    return highest;
}

}  // namespace

// The setting observations start-up installs; each ends when its token is dropped.
class AppDelegate::Observations {
public:
    ObservationToken crashReporting;
    ObservationToken autoUpdate;
    ObservationToken clipPref;
    ObservationToken channelOrder;
    ObservationToken appearancePref;
    ObservationToken hudDuration;
    ObservationToken prefs;
    ObservationToken hudSize;
    ObservationToken heldHotkeys;
};

template <class Work>
auto AppDelegate::weakly(Work work) {
    return guard_.wrap(std::move(work));
}

AppDelegate::AppDelegate() : AppDelegate(Options{}) {}

AppDelegate::AppDelegate(Options options)
    : ownQueue_(options.queue ? nullptr : std::make_unique<QtMainQueue>()),
      queue_(options.queue ? *options.queue : *ownQueue_),
      ownDefaults_(options.defaults ? nullptr : std::make_unique<QSettingsUserDefaults>()),
      defaults_(options.defaults ? *options.defaults : *ownDefaults_),
      makeShortcuts_(options.shortcuts ? std::move(options.shortcuts) : &GlobalShortcuts::forThisDesktop),
      runningCopies_(options.runningCopies ? std::move(options.runningCopies) : RunningCopies::forThisProgram()),
      askQuestion_(options.askQuestion ? std::move(options.askQuestion) : &ConsentDialog::run),
      crashReporter_(options.crashReporter ? *options.crashReporter : CrashReporter::shared()),
      client_(MixerEngineClient::defaultHost, options.enginePort.value_or(MixerEngineClient::defaultPort),
              MixerEngineClient::Timing{}, &CrashReporter::prepareThread),
      prefs_(std::make_unique<PreferencesStore>(defaults_)),
      updater_(options.updater ? options.updater(queue_, defaults_) : makeUpdater()), meterStore_(queue_),
      observations_(std::make_unique<Observations>()) {}

AppDelegate::~AppDelegate() = default;

// MARK: start-up

void AppDelegate::applicationDidFinishLaunching() {
    // An older copy holds its key grabs until it is gone, so ours may have been refused meanwhile.
    SingleInstanceGuard::adoptSingleInstance(3, runningCopies_, queue_,
                                             weakly([this] { retryRefusedHotkeys(kRefusedHotkeyRetries); }));
    HUDFonts::ensureRegistered();
    if (prefs_->crashReporting.value()) crashReporter_.startIfConsented(true);
    else crashReporter_.discardUnsentReports();  // nothing recorded earlier leaves without consent
    auto applyConsent = weakly([this](bool consent) {
        if (consent) crashReporter_.startIfConsented(true);
        else crashReporter_.stop();
    });
    observations_->crashReporting =
        prefs_->crashReporting.observe(std::move(applyConsent), Published<bool>::Initial::skip);
    queue_.post(weakly([this] { finishLaunch(); }));
}

void AppDelegate::finishLaunch() {
    observations_->autoUpdate =
        ChangedValues::observe<bool>(prefs_->automaticUpdates, weakly([this](bool enabled) {
                                         if (updater_->isConfigured())
                                             updater_->setAutomaticallyChecksForUpdates(enabled);
                                     }),
                                     Published<bool>::Initial::skip);

    hud_ = std::make_unique<HUDWindowController>(queue_);
    hud_->applyDisplayTime(prefs_->hudDurationSeconds.value());
    hud_->applySize(prefs_->hudSize.value());
    control_ = std::make_unique<MonitorControl>(client_, state_, monitorPaths_);
    hotkeys_ = std::make_unique<HotkeyService>(makeShortcuts_());
    meterWindow_ = std::make_unique<MeterWindowController>(meterStore_, defaults_, queue_);
    meterSubscriber_ = std::make_unique<MeterSubscriptionManager>(client_, queue_, monitorPaths_.crOutputBase);

    const auto& mode = state_.snapshot().surroundMode;
    meterStore_.setChannels(ChannelLayout::channels(mode, prefs_->meterChannelOrder.value()));
    meterStore_.clipAutoReleaseEnabled = !prefs_->clipLatchPersistent.value();
    meterWindow_->setSurroundMode(mode);
    meterWindow_->setAppearance(prefs_->hudAppearance.value());
    meterWindow_->onShow = weakly([this] { ensureMeterSubscriptions(); });
    meterWindow_->view().onClick = weakly([this] { meterStore_.clearAllClips(); });

    observations_->clipPref = prefs_->clipLatchPersistent.observe(
        weakly([this](bool persistent) { meterStore_.clipAutoReleaseEnabled = !persistent; }));
    observations_->channelOrder = ChangedValues::observe<MeterChannelOrder>(
        prefs_->meterChannelOrder, weakly([this](MeterChannelOrder order) { applyChannelOrder(order); }));
    observations_->appearancePref = ChangedValues::observe<HUDAppearance>(
        prefs_->hudAppearance, weakly([this](HUDAppearance appearance) { applyAppearance(appearance); }));
    observations_->hudDuration = ChangedValues::observe<double>(
        prefs_->hudDurationSeconds, weakly([this](double seconds) { hud_->applyDisplayTime(seconds); }));

    statusBar_ = std::make_unique<StatusBarController>(statusBarCallbacks());
    installMainMenu();
    startUpdater();
    armApp();
}

void AppDelegate::armApp() {
    if (armed_) return;
    armed_ = true;
    hotkeys_->handler = weakly([this](HotkeyAction action, HotkeyPhase phase) { handleHotkey(action, phase); });
    registerHotkeys(prefs_->bindings.value());
    observations_->prefs = ChangedValues::observe<HotkeyBindings>(
        prefs_->bindings, weakly([this](const HotkeyBindings& bindings) { registerHotkeys(bindings); }));
    observations_->hudSize =
        ChangedValues::observe<HUDSize>(prefs_->hudSize, weakly([this](HUDSize size) { applyHUDSize(size); }));

    applyFirstRunSetup();
    askAutoUpdateConsentIfNeeded();
    setupCrashReportingConsent();
    // A quit while a question was open: the program is ending, so it does not connect.
    if (ApplicationQuit::isUnderway()) return;

    if (streamsWired_) return;
    streamsWired_ = true;
    wireStreams();
    client_.connect();
    pendingAutoShowMeters_ = prefs_->showMetersOnLaunch.value();
}

void AppDelegate::registerHotkeys(const HotkeyBindings& bindings) {
    // The release of a key held across a re-apply never arrives, so the talkback hold ends here instead.
    if (talkback_.isPressed()) endTalkbackHold();
    hotkeys_->unregisterAll();
    for (HotkeyAction action : allHotkeyActions) {
        auto binding = bindings.find(action);
        if (binding != bindings.end()) hotkeys_->registerHotkey(action, binding->second);
    }
}

void AppDelegate::applyHUDSize(HUDSize size) {
    hud_->applySize(size);
    showHUD(state_.snapshot(), MonitorEvent::level, std::nullopt);
}

void AppDelegate::applyAppearance(HUDAppearance appearance) {
    meterWindow_->setAppearance(appearance);
    if (aboutWindow_) aboutWindow_->setAppearance(appearance);
    if (preferencesWindow_) preferencesWindow_->applyAppearance(appearance);
}

void AppDelegate::retryRefusedHotkeys(int retriesLeft) {
    if (!hotkeys_ || hotkeys_->retryRefused() == 0 || retriesLeft == 0) return;
    queue_.postAfter(kRefusedHotkeyRetryInterval,
                     weakly([this, retriesLeft] { retryRefusedHotkeys(retriesLeft - 1); }));
}

void AppDelegate::applicationWillTerminate() { client_.disconnect(); }

// MARK: meter wiring

void AppDelegate::ensureMeterSubscriptions() {
    const auto& mode = state_.snapshot().surroundMode;
    const auto channels = ChannelLayout::channels(mode, prefs_->meterChannelOrder.value());
    meterStore_.setChannels(channels);
    meterWindow_->setSurroundMode(mode);
    if (!channels.empty()) meterSubscriber_->ensureSubscribed(highestMeterIndex(channels));
}

void AppDelegate::applyChannelOrder(MeterChannelOrder order) {
    const auto channels = ChannelLayout::channels(state_.snapshot().surroundMode, order);
    meterStore_.setChannels(channels);
    if (meterWindow_->isVisible() && !channels.empty()) meterSubscriber_->ensureSubscribed(highestMeterIndex(channels));
}

// MARK: stream loops

void AppDelegate::wireStreams() {
    stateStream_ =
        client_.states(queue_, weakly([this](MixerEngineClient::ConnectionState state) { handleState(state); }));
    frameStream_ = client_.frames(queue_, weakly([this](MixerFrame frame) { handleFrame(frame); }));
}

void AppDelegate::handleState(const MixerEngineClient::ConnectionState& state) {
    statusBar_->connectionState = state;
    statusBar_->interfaceOnline.reset();
    statusBar_->updateConnectionTitle();
    const bool ready = state.kind() == MixerEngineClient::ConnectionState::Kind::ready;
    control_->setConnectionReady(ready);
    if (!ready) return;
    queue_.post(weakly([this] { handleConnection(); }));
    if (pendingAutoShowMeters_) {
        pendingAutoShowMeters_ = false;
        meterWindow_->show();
    }
}

void AppDelegate::handleConnection() {
    MonitorPathDiscovery::start(
        client_, queue_, weakly([this](std::optional<MonitorPaths> discovered) { subscribeMonitor(discovered); }));
}

void AppDelegate::subscribeMonitor(const std::optional<MonitorPaths>& discovered) {
    if (discovered) {
        monitorPaths_ = *discovered;
        control_->setPaths(monitorPaths_);
        meterSubscriber_->outputBase = monitorPaths_.crOutputBase;
        SystemLog::write("Quillmark: discovered Control Room output at " + monitorPaths_.crOutputBase);
    } else {
        SystemLog::write("Quillmark: monitor-path discovery did not complete — using the Apollo x8 fallback (" +
                         monitorPaths_.crOutputBase + ").");
    }
    for (const auto& path : monitorPaths_.allSubscriptions()) client_.send(MixerRequest::subscribe(path));
    resubscribeMeters();
}

void AppDelegate::resubscribeMeters() {
    const std::int64_t count = meterSubscriber_->subscribedCount;
    if (count < 1) return;
    meterSubscriber_->subscribedCount = 0;
    meterSubscriber_->ensureSubscribed(count - 1);
}

void AppDelegate::handleFrame(const MixerFrame& frame) {
    const auto event = state_.apply(frame, monitorPaths_);
    if (!event) {
        meterStore_.apply(frame, monitorPaths_.crOutputBase);
        return;
    }
    handleMonitorEvent(*event);
}

void AppDelegate::handleMonitorEvent(const MonitorEvent& event) {
    const MonitorSnapshot& snapshot = state_.snapshot();
    if (event.kind() == MonitorEvent::deviceOnline) {
        statusBar_->interfaceOnline = snapshot.deviceOnline;
        statusBar_->updateConnectionTitle();
        return;
    }
    if (snapshot.deviceOnline == false) {
        showOffline();
        return;
    }
    const auto shown = pendingRecall_.decide(event.kind() == MonitorEvent::level, snapshot.levelDB, queue_.now());
    MonitorSnapshot displayed = snapshot;
    displayed.levelDB = shown.levelDB;
    showHUD(displayed, event, shown.label);
    if (event.kind() == MonitorEvent::surround) {
        applyChannelOrder(prefs_->meterChannelOrder.value());
        meterWindow_->setSurroundMode(state_.snapshot().surroundMode);
    }
}

// MARK: hotkeys

void AppDelegate::handleHotkey(HotkeyAction action, HotkeyPhase phase) {
    const MonitorSnapshot& snapshot = state_.snapshot();
    const bool offline = snapshot.deviceOnline == false;
    if (offline && phase == HotkeyPhase::pressed) {
        showOffline();
        return;
    }
    // A talkback release ends its hold even while offline, or the HUD would stay pinned.
    if (action == HotkeyAction::talkback) {
        handleTalkbackHotkey(phase);
        return;
    }
    if (offline || phase == HotkeyPhase::released) return;
    switch (action) {
    case HotkeyAction::mute: control_->toggle(control_->paths().mute.base(), snapshot.mute); break;
    case HotkeyAction::dim: control_->toggle(control_->paths().dim.base(), snapshot.dim); break;
    case HotkeyAction::surround: control_->sendFoldDown(false, false); break;
    case HotkeyAction::stereo: control_->sendFoldDown(true, false); break;
    case HotkeyAction::mono: control_->sendFoldDown(true, true); break;
    case HotkeyAction::volumeUpFine: control_->adjustLevel(prefs_->volumeStepFineDB.value()); break;
    case HotkeyAction::volumeUpCoarse: control_->adjustLevel(prefs_->volumeStepCoarseDB.value()); break;
    case HotkeyAction::volumeDownFine: control_->adjustLevel(-prefs_->volumeStepFineDB.value()); break;
    case HotkeyAction::volumeDownCoarse: control_->adjustLevel(-prefs_->volumeStepCoarseDB.value()); break;
    case HotkeyAction::recallReference1: recallReference(0); break;
    case HotkeyAction::recallReference2: recallReference(1); break;
    case HotkeyAction::recallReference3: recallReference(2); break;
    case HotkeyAction::talkback: break;
    }
}

void AppDelegate::handleTalkbackHotkey(HotkeyPhase phase) {
    if (phase == HotkeyPhase::pressed) {
        const bool switchOn = talkback_.press(queue_.now(), state_.snapshot().talkback == true);
        hud_->setHeld(true);
        if (switchOn) control_->setTalkback(true);
        return;
    }
    endTalkbackHold();
}

void AppDelegate::endTalkbackHold() {
    const bool switchOff = talkback_.release(queue_.now());
    hud_->setHeld(false);
    if (switchOff && state_.snapshot().deviceOnline != false) control_->setTalkback(false);
}

void AppDelegate::recallReference(int index) {
    const auto levels = prefs_->referenceLevels.value();
    if (index < 0 || static_cast<std::size_t>(index) >= levels.size()) return;
    const ReferenceLevel& reference = levels[static_cast<std::size_t>(index)];
    if (!reference.level) return;
    const MonitorSnapshot& snapshot = state_.snapshot();
    if (snapshot.deviceOnline == false) {
        showOffline();
        return;
    }
    // The level the control writes, so the HUD never shows one that was not sent.
    const double target = MonitorControl::clamp(*reference.level);
    const bool landed = PendingRecall::hasLanded(snapshot.levelDB, target);
    control_->setLevel(target);
    pendingRecall_.record(reference.label, target, queue_.now(), landed);
    if (landed) showHUD(state_.snapshot(), MonitorEvent::level, reference.label);
}

// MARK: HUD

void AppDelegate::showHUD(const MonitorSnapshot& snapshot, const MonitorEvent& event,
                          const std::optional<std::string>& referenceLabel) {
    std::optional<QString> label;
    if (referenceLabel) label = QString::fromStdString(*referenceLabel);
    hud_->show(snapshot, event, splReference(), prefs_->hudAppearance.value(), label);
}

void AppDelegate::showOffline() { hud_->showMessage(kOfflineMessage, prefs_->hudAppearance.value()); }

double AppDelegate::splReference() const {
    return prefs_->splReadoutEnabled.value() ? prefs_->splReferenceAt0dBFS.value() : 0.0;
}

// MARK: tray menu

StatusBarController::Callbacks AppDelegate::statusBarCallbacks() {
    StatusBarController::Callbacks callbacks;
    callbacks.onQuit = [] { ApplicationQuit::request(); };
    callbacks.onPreferences = weakly([this] { showPreferences(); });
    callbacks.onToggleMeters = weakly([this] { toggleMeters(); });
    callbacks.isMetersVisible = guard_.wrap([this] { return isMetersVisible(); }, false);
    callbacks.onCheckForUpdates = weakly([this] {
        if (!updater_->isConfigured()) return;
        if (!updater_->didStart()) updater_->startUpdater();
        updater_->checkForUpdates();
    });
    callbacks.onAbout = weakly([this] { showAbout(); });
    callbacks.onOpenManual = weakly([this] { openManual(); });
    callbacks.onOpenLicenseAgreement = weakly([this] { openLicenseAgreement(); });
    callbacks.referenceLevels =
        guard_.wrap([this] { return prefs_->referenceLevels.value(); }, std::vector<ReferenceLevel>{});
    callbacks.onRecallReference = weakly([this](int index) { recallReference(index); });
    callbacks.splReferenceAt0dBFS = guard_.wrap([this] { return splReference(); }, 0.0);
    return callbacks;
}

void AppDelegate::toggleMeters() {
    // A minimised window is brought back rather than hidden: the menu offered to show it.
    if (meterWindow_->isOnScreen()) meterWindow_->hide();
    else meterWindow_->show();
}

bool AppDelegate::isMetersVisible() const { return meterWindow_ && meterWindow_->isOnScreen(); }

// MARK: updates

std::unique_ptr<UpdaterController> AppDelegate::makeUpdater() {
    UpdaterController::Parts parts;
    // The update dialogs follow the appearance setting as it is when each one opens. The updater owns
    // them and goes before the settings do, so they can hold the delegate plainly.
    parts.driver = std::make_unique<UpdateDialogs>([this] { return prefs_->hudAppearance.value(); });
    return std::make_unique<UpdaterController>(queue_, defaults_, UpdaterController::mainBundleInfo(),
                                               std::move(parts));
}

void AppDelegate::startUpdater() {
    if (!updater_->isConfigured()) return;
    updater_->setAutomaticallyChecksForUpdates(prefs_->automaticUpdates.value());
    if (!updater_->didStart()) updater_->startUpdater();
}

// MARK: first-run questions

void AppDelegate::applyFirstRunSetup() {
    const auto answer =
        FirstRunQuestion::launchAtLogin().askOnce(defaults_, askQuestion_, prefs_->hudAppearance.value());
    if (answer == true) loginItem_.setEnabled(true);
}

void AppDelegate::askAutoUpdateConsentIfNeeded() {
    if (!updater_->isConfigured()) return;
    const auto answer =
        FirstRunQuestion::automaticUpdates().askOnce(defaults_, askQuestion_, prefs_->hudAppearance.value());
    if (!answer) return;
    prefs_->automaticUpdates.set(*answer);
    updater_->setAutomaticallyChecksForUpdates(prefs_->automaticUpdates.value());
}

void AppDelegate::setupCrashReportingConsent() {
    if (!crashReporter_.isAvailable()) return;
    const auto answer =
        FirstRunQuestion::crashReports().askOnce(defaults_, askQuestion_, prefs_->hudAppearance.value());
    if (!answer) return;
    prefs_->crashReporting.set(*answer);
    if (*answer) crashReporter_.startIfConsented(true);
}

// MARK: menus and windows

void AppDelegate::installMainMenu() {}

// The window opens with the desktop's current login-item state.
void AppDelegate::showPreferences() {
    loginItem_.refresh();
    if (!preferencesWindow_) {
        // While a shortcut field records, a combination already bound must reach it, not fire.
        preferencesWindow_ = std::make_unique<PreferencesWindowController>(*prefs_, state_, loginItem_, queue_,
                                                                           weakly([this](bool recording) {
                                                                               if (recording) hotkeys_->suspend();
                                                                               else hotkeys_->resume();
                                                                           }));
        WindowShortcuts::installPreferences(preferencesWindow_->window(), weakly([this] { showPreferences(); }));
    }
    // Before launch has finished (Ctrl+, in an early window) there are no hotkeys yet.
    if (hotkeys_) {
        // The rows mark the bindings that another program or the X server holds, until they register.
        if (!observations_->heldHotkeys.isActive())
            observations_->heldHotkeys = hotkeys_->heldElsewhere.observe(weakly(
                [this](const std::set<HotkeyAction>& held) { preferencesWindow_->view().showHeldElsewhere(held); }));
        // One that has been let go since shows as bound.
        hotkeys_->retryRefused();
    }
    preferencesWindow_->show();
}
void AppDelegate::showAbout() {
    if (!aboutWindow_) {
        aboutWindow_ = std::make_unique<AboutWindowController>();
        WindowShortcuts::installPreferences(aboutWindow_->window(), weakly([this] { showPreferences(); }));
    }
    aboutWindow_->show(prefs_->hudAppearance.value());
}
void AppDelegate::openManual() {
    DocumentOpener::open(ResourceBundle::main(), QString::fromLatin1(DocumentOpener::userGuideName),
                         prefs_->hudAppearance.value());
}
void AppDelegate::openLicenseAgreement() {
    DocumentOpener::open(ResourceBundle::main(), QString::fromLatin1(DocumentOpener::licenseAgreementName),
                         prefs_->hudAppearance.value());
}

}  // namespace quillmark
