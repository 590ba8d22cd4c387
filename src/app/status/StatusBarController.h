#pragma once

#include "app/settings/ReferenceLevel.h"
#include "core/MixerEngineClient.h"
#include "platform/tray/TrayHostColours.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QMenu;
class QSystemTrayIcon;

namespace quillmark {

// The tray item and its menu: the connection state as the first line, show/hide meters, the
// three reference levels, About, the user guide, the licence, preferences, the update check and
// quit. It knows nothing of the rest of the program: every action and every value it shows comes
// through the callbacks given at construction. Main thread only.
class StatusBarController : public QObject {
public:
    // What the application provides. Unset callbacks do nothing (and read as false, empty, 0).
    struct Callbacks {
        std::function<void()> onQuit;                                  // "Quit Quillmark"
        std::function<void()> onPreferences;                           // "Preferences…"
        std::function<void()> onToggleMeters;                          // "Show Meters" / "Hide Meters"
        std::function<bool()> isMetersVisible;                         // whether the meter window shows
        std::function<void()> onCheckForUpdates;                       // "Check for Updates…"
        std::function<void()> onAbout;                                 // "About Quillmark"
        std::function<void()> onOpenManual;                            // "User Guide"
        std::function<void()> onOpenLicenseAgreement;                  // "License Agreement"
        std::function<std::vector<ReferenceLevel>()> referenceLevels;  // the saved references
        std::function<void(int index)> onRecallReference;              // a reference item, by index
        std::function<double()> splReferenceAt0dBFS;                   // 0 when the SPL readout is off
    };

    // Creates the tray icon and its menu. Without a tray host it logs one line and goes on: the
    // menu still exists and rebuild() still fills other menus. The icon takes the colours the
    // desktop's tray host publishes.
    explicit StatusBarController(Callbacks callbacks);
    // With the tray host's colours from `hostColours`, for tests.
    StatusBarController(Callbacks callbacks, std::unique_ptr<TrayHostColours> hostColours);
    ~StatusBarController() override;

    // Empties `menu` and fills it with the items, with current titles, states and references.
    void rebuild(QMenu& menu);
    // Rebuilds `menu` each time it is about to open (as the tray menu is).
    void attach(QMenu& menu);

    // Sets connectionTitle() from connectionState and interfaceOnline; also the tray tooltip.
    // The application calls it after changing either field.
    void updateConnectionTitle();

    // Written by the application; read by updateConnectionTitle().
    MixerEngineClient::ConnectionState connectionState;
    std::optional<bool> interfaceOnline;

    const QString& connectionTitle() const { return connectionTitle_; }
    QMenu& trayMenu() { return *trayMenu_; }
    QSystemTrayIcon& trayIcon() { return *tray_; }

    // The first menu line for a connection state and the interface's reported online state.
    static QString titleFor(const MixerEngineClient::ConnectionState& state, std::optional<bool> interfaceOnline);

protected:
    // Installed on the application object, so it sees every event; it acts on palette and theme changes.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addReferenceItems(QMenu& menu);
    void addAction(QMenu& menu, const QString& title, const std::function<void()>& callback);
    void refreshIcon();

    Callbacks callbacks_;
    QString connectionTitle_;
    std::unique_ptr<QMenu> trayMenu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<TrayHostColours> hostColours_;
    // The colours the icon was last drawn in.
    QColor ink_;
    QColor halo_;
};

}  // namespace quillmark
