#pragma once
// The editor needs a display for its windows. Without one it says so in one line and ends
// with status 1, whether no display is named or the one named does not answer; Qt itself
// would abort with a screenful of advice about its plugins.

class QString;

namespace platform {

// Says in one line why no display is to be had (`why`: "DISPLAY names a display that does
// not answer", say).
using NoDisplaySaying = void (*)(const QString& why);

// Watches the start of Qt's platform while it lives: Qt's messages are held back, and
// should the platform fail to start, the program says so with `say` and ends with status 1.
// Once the platform has started, the messages held back are passed on.
class DisplayStartWatch {
  public:
    explicit DisplayStartWatch(NoDisplaySaying say);
    ~DisplayStartWatch();
    DisplayStartWatch(const DisplayStartWatch&) = delete;
    DisplayStartWatch& operator=(const DisplayStartWatch&) = delete;
};

} // namespace platform
