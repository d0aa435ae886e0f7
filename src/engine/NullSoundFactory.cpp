// Sound for builds without libpulse and FluidSynth: beeps are silent.
#include "engine/Platform.h"

namespace sorvane {

SoundDevices createSoundDevices(Notify notify) {
    notify("Beeps are silent: this build has no sound support.");
    SoundDevices devices;
    devices.port = std::make_unique<NullPortOutput>();
    devices.midi = std::make_unique<NullMidiPlayer>();
    return devices;
}

} // namespace sorvane
