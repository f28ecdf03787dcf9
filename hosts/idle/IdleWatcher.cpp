#include "hosts/idle/IdleWatcher.h"

#include "hosts/idle/IdleSource.h"
#include "hosts/idle/LockRequest.h"

#include <utility>

IdleWatcher::IdleWatcher(IdleSource& source, std::function<std::string()> holder, std::string saverProgram,
                         std::string lockCommand, std::function<void(bool, const std::string&)> say)
    : source_(source), holder_(std::move(holder)), saverProgram_(std::move(saverProgram)),
      lockCommand_(std::move(lockCommand)), say_(std::move(say))
{
}

bool IdleWatcher::setTimes(const IdleTimes& times, int64_t)
{
    if (armed_ && times == times_)
        return true;
    const bool newTimeout = !armed_ || times.timeoutSeconds != times_.timeoutSeconds;
    times_ = times;
    say_(true, "starts the saver after " + std::to_string(times.timeoutSeconds) + " s idle; "
             + (times.lockAfterSeconds > 0 ? "locks " + std::to_string(times.lockAfterSeconds) + " s later"
                                           : "never locks"));
    if (saver_.running() && !lockAsked_)
        lockAt_ = times.lockAfterSeconds > 0 ? startedAt_ + times.lockAfterSeconds * 1000LL : -1;
    if (!newTimeout)
        return true;
    armed_ = true;
    idle_ = false; // counted anew from now
    retryAt_ = -1;
    return source_.arm(times.timeoutSeconds * 1000);
}

void IdleWatcher::idleChanged(bool idle, int64_t now)
{
    idle_ = idle;
    if (idle) {
        say_(true, "idle for " + std::to_string(times_.timeoutSeconds) + " s");
        tryStart(now);
        return;
    }
    say_(true, "the user is back");
    heldOff_ = false;
    retryAt_ = -1;
    // Under the desktop's lock the saver gets no input: the user's return is told to it here.
    if (saver_.running() && lockAsked_) {
        say_(true, "ending the saver under the lock");
        saver_.terminate();
    }
}

void IdleWatcher::holdChanged(int64_t now)
{
    const std::string holder = holder_();
    if (!holder.empty()) {
        retryAt_ = -1;
        return;
    }
    // The hold ended while the user stayed idle: a whole timeout from now, as if the holder had been input (a video
    // that ends does not start the saver the same second).
    if (idle_ && heldOff_ && retryAt_ < 0) {
        retryAt_ = now + times_.timeoutSeconds * 1000LL;
        say_(true, "nothing holds the saver off now; it starts in " + std::to_string(times_.timeoutSeconds)
                 + " s if the user stays idle");
    }
}

void IdleWatcher::tryStart(int64_t now)
{
    if (saver_.running())
        return;
    if (const std::string holder = holder_(); !holder.empty()) {
        say_(true, "not starting the saver: held off by " + holder);
        heldOff_ = true;
        return;
    }
    heldOff_ = false;
    std::string why;
    if (!saver_.start(saverProgram_, &why)) {
        failed(why);
        return;
    }
    say_(true, "started " + saverProgram_ + " --root (pid " + std::to_string(saver_.pid()) + ")");
    lockAsked_ = false;
    startedAt_ = now;
    lockAt_ = times_.lockAfterSeconds > 0 ? now + times_.lockAfterSeconds * 1000LL : -1;
}

void IdleWatcher::checkSaver()
{
    std::string how;
    bool normal = true;
    if (!saver_.reap(&how, &normal))
        return;
    if (normal)
        say_(true, "the saver " + how);
    else
        failed("the saver " + how + "; watching on, it starts at the next idle time");
    lockAt_ = -1;
}

void IdleWatcher::failed(const std::string& why)
{
    // Told once, not at every idle time of a session whose saver cannot run.
    if (why != lastFailure_)
        say_(false, why);
    else
        say_(true, why);
    lastFailure_ = why;
}

void IdleWatcher::tick(int64_t now)
{
    if (retryAt_ >= 0 && now >= retryAt_) {
        retryAt_ = -1;
        if (idle_)
            tryStart(now);
    }
    if (lockAt_ >= 0 && now >= lockAt_ && saver_.running()) {
        lockAt_ = -1;
        lockAsked_ = true;
        std::string why;
        if (AskToLock(lockCommand_, &why))
            say_(true, lockCommand_.empty() ? "asked logind to lock the session" : "ran the lock command");
        else
            say_(false, why);
    }
}

int IdleWatcher::untilNextTimer(int64_t now) const
{
    int64_t next = -1;
    for (int64_t at : {retryAt_, saver_.running() ? lockAt_ : -1})
        if (at >= 0 && (next < 0 || at < next))
            next = at;
    if (next < 0)
        return -1;
    const int64_t wait = next - now;
    return wait > 0 ? static_cast<int>(wait) : 0;
}
