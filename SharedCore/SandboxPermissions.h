#pragma once

// Private to the library: what the microphone and calendar permissions answer.

#include <QByteArray>
#include <optional>

// A plain Linux desktop has no permission system for the microphone or the
// calendars: every program of the user may record from the audio server and
// read the calendars (Evolution Data Server), so both are granted.
//
// Inside a Flatpak sandbox the grants are fixed when the app is started and are
// written in /.flatpak-info. The desktop portal has no question an app may ask
// about these: the Device portal that guards microphones refuses callers from
// inside the sandbox (it is there for the audio server), and there is no
// calendar portal. So the answers are read from the sandbox's own record:
// - microphone: granted when the sandbox may talk to the audio server (the
//   "pulseaudio" socket; the audio server may still ask the user when
//   recording starts);
// - calendars: granted when the sandbox may talk to Evolution Data Server on
//   the session bus (a "talk" or "own" policy for one of its names, or the
//   whole session bus).
// An unreadable sandbox record grants nothing.
struct SandboxPermissions {
    bool microphone = true;
    bool calendars = true;

    // The permissions given the sandbox record's contents, or absent outside a sandbox.
    static SandboxPermissions from(const std::optional<QByteArray>& flatpakInfo);

    // The permissions of this process (its sandbox record is read once).
    static const SandboxPermissions& current();
};
