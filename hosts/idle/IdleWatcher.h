// What inkspin-idle does when something happens: the user goes idle or comes back, an inhibitor comes or goes, the
// saver ends, a timer runs out. It starts the saver when the user has been idle for the timeout and nothing holds it
// off; leaves ending it to the saver (whose own rule says what input is the user's); asks for the lock once, the
// chosen time after the start; and never starts the saver again before the user has been idle a whole timeout anew.
// A saver that fails or dies is told in the log once (the same failure again only with --verbose), and the next
// start waits for the next idle time: no loop of restarts.
//
// Settings are in whole seconds; `now` is CLOCK_MONOTONIC in milliseconds, read by the caller.
#pragma once

#include "hosts/idle/SaverProcess.h"

#include <cstdint>
#include <functional>
#include <string>

class IdleSource;

struct IdleTimes {
    int timeoutSeconds = 300;  // idle time before the saver starts, at least 1
    int lockAfterSeconds = 0;  // from the saver's start to the lock; 0: never
    bool operator==(const IdleTimes&) const = default;
};

class IdleWatcher {
public:
    // `holder` says who holds the saver off now ("" for nobody). Lines for the log go to `say`; those marked
    // verbose only with --verbose.
    IdleWatcher(IdleSource& source, std::function<std::string()> holder, std::string saverProgram,
                std::string lockCommand, std::function<void(bool verbose, const std::string&)> say);

    // Follows new times (at start, and when the saved settings change): a new timeout counts from now.
    bool setTimes(const IdleTimes& times, int64_t now);
    void idleChanged(bool idle, int64_t now);
    // An inhibitor came or went.
    void holdChanged(int64_t now);
    // Reaps the saver if it has ended.
    void checkSaver();
    // Runs out the timers due at `now`.
    void tick(int64_t now);
    // Milliseconds until the next timer, from `now`; -1 for none.
    int untilNextTimer(int64_t now) const;

    SaverProcess& saver() { return saver_; }
    bool idle() const { return idle_; }

private:
    void tryStart(int64_t now);
    void failed(const std::string& why);

    IdleSource& source_;
    std::function<std::string()> holder_;
    std::string saverProgram_, lockCommand_;
    std::function<void(bool, const std::string&)> say_;
    SaverProcess saver_;
    IdleTimes times_;
    bool armed_ = false;
    bool idle_ = false;         // the source says the user is idle, and nothing since says otherwise
    bool heldOff_ = false;      // idle came while something held the saver off
    int64_t retryAt_ = -1;      // ms: when a hold ended while idle: start then, if still idle and free
    int64_t startedAt_ = 0;     // ms: when the saver started
    int64_t lockAt_ = -1;       // ms: when to ask for the lock, while the saver runs
    bool lockAsked_ = false;    // for this saver: the user's input now goes to the locker
    std::string lastFailure_;   // the last start or end that went wrong, said once
};
