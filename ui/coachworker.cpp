#include "ui/coachworker.h"

#include <QMetaObject>

#include <exception>

#include <utility>

CoachWorker::CoachWorker(QObject *parent) : QObject(parent) {}

CoachWorker::~CoachWorker()
{
    cancelAll();
}

void CoachWorker::Job::cancel()
{
    ++generation;
    delivered = true;
    if (thread.joinable()) {
        thread.request_stop();
        // The coach looks at its stop token between playouts, so this is short.
        thread.join();
    }
}

template <typename Work, typename Deliver> void CoachWorker::start(Job &job, Work work, Deliver deliver)
{
    job.cancel();
    job.delivered = false;
    const std::uint64_t generation = job.generation;
    job.thread = std::jthread([this, &job, generation, work = std::move(work),
                               deliver = std::move(deliver)](std::stop_token stop) mutable {
        decltype(work(stop)) result;
        try {
            result = work(stop);
        } catch (const std::exception &) {
            return; // no answer: the window goes on without it
        }
        if (stop.stop_requested())
            return;
        // Queued to this object: dropped with it if it is gone first.
        QMetaObject::invokeMethod(
            this,
            [this, &job, generation, deliver = std::move(deliver), result = std::move(result)] {
                if (job.generation != generation || job.delivered)
                    return; // a later request or a cancel overtook it
                job.delivered = true;
                deliver(result);
            },
            Qt::QueuedConnection);
    });
}

void CoachWorker::rate(const qv::coach::CoachInput &input, const qv::coach::CoachOptions &options)
{
    start(
        rating_, [input, options](std::stop_token stop) { return qv::coach::rateCells(input, options, stop); },
        [this, input](const qv::coach::CoachResult &result) { emit rated(input, result); });
}

void CoachWorker::cancelRating()
{
    rating_.cancel();
}

void CoachWorker::review(const qv::coach::RoundCards &cards, const qv::coach::CoachOptions &options)
{
    start(
        review_,
        [cards, options](std::stop_token stop) { return qv::coach::coachRound(cards, options, stop).total; },
        [this, cards](int total) { emit reviewed(cards, total); });
}

void CoachWorker::cancelReview()
{
    review_.cancel();
}

void CoachWorker::cancelAll()
{
    cancelRating();
    cancelReview();
}
