#pragma once
// The coach's work off the window's thread. Each job runs on a thread of its
// own; its result comes back to the window's thread through the event queue.
// Starting a job of a kind, or cancelling it, stops the one still running (its
// stop token) and drops any result of it not yet delivered, so a result always
// answers the latest request.

#include "coach/coach.h"
#include "coach/round.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <thread>

class CoachWorker : public QObject {
    Q_OBJECT
public:
    explicit CoachWorker(QObject *parent = nullptr);
    // Stops every job and waits for its thread; nothing is delivered afterwards.
    ~CoachWorker() override;

    // Rates the cells of input; rated follows with the same input.
    void rate(const qv::coach::CoachInput &input, const qv::coach::CoachOptions &options);
    void cancelRating();

    // Plays the round's cards as the coach would have, knowing only what a player
    // knows; reviewed follows with the round total it reached.
    void review(const qv::coach::RoundCards &cards, const qv::coach::CoachOptions &options);
    void cancelReview();

    void cancelAll();

signals:
    void rated(const qv::coach::CoachInput &input, const qv::coach::CoachResult &result);
    void reviewed(const qv::coach::RoundCards &cards, int total);

private:
    struct Job {
        std::jthread thread;
        std::uint64_t generation = 0; // the request a delivered result must answer
        bool delivered = false;
        // Stops the thread (it ends soon after) and makes a late result stale.
        void cancel();
    };
    // Runs work on job's new thread and hands its result to deliver on this
    // object's thread, unless the job was cancelled or restarted meanwhile.
    template <typename Work, typename Deliver> void start(Job &job, Work work, Deliver deliver);

    Job rating_;
    Job review_;
};
