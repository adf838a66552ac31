#pragma once

namespace panemark {

// The system's alert sound: a command that cannot be carried out beeps once.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

} // namespace panemark
