#include "history/historywriter.h"

namespace qv::history {

HistoryWriter::HistoryWriter(Report report) : report_(std::move(report)) {}

HistoryWriter::~HistoryWriter()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

HistoryDatabase::OpenResult HistoryWriter::open(const std::string &path)
{
    HistoryDatabase::OpenResult result;
    openLater(path, [&](const HistoryDatabase::OpenResult &opened) { result = opened; });
    flush();
    return result;
}

void HistoryWriter::openLater(const std::string &path,
                              std::function<void(const HistoryDatabase::OpenResult &)> opened)
{
    post([=, this](HistoryDatabase &db) {
        const HistoryDatabase::OpenResult result = db.open(path);
        {
            std::lock_guard lock(mutex_);
            recording_ = db.isOpen();
        }
        if (opened)
            opened(result);
    });
}

bool HistoryWriter::recording() const
{
    std::lock_guard lock(mutex_);
    return recording_;
}

void HistoryWriter::recordRound(const GameState &game, const RoundRecord &round)
{
    post([=, this](HistoryDatabase &db) {
        if (db.isOpen())
            attempt([&] { db.recordRound(game, round); });
    });
}

void HistoryWriter::gameOver(const GameState &game)
{
    post([=, this](HistoryDatabase &db) {
        if (db.isOpen())
            attempt([&] { db.gameOver(game); });
    });
}

void HistoryWriter::attempt(const std::function<void()> &job)
{
    try {
        job();
        failureShown_ = false;
    } catch (const HistoryError &e) {
        if (!failureShown_ && report_)
            report_("The game history could not be written (" + std::string(e.what()) +
                    "). Quenvale tries again at the next round.");
        failureShown_ = true;
    }
}

void HistoryWriter::flush()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void HistoryWriter::post(std::function<void(HistoryDatabase &)> job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        // Started with the first job: a program that never opens its history
        // never has the thread.
        if (!thread_.joinable())
            thread_ = std::thread([this] { run(); });
    }
    wake_.notify_one();
}

void HistoryWriter::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
        if (jobs_.empty()) // stopping, and everything is written
            break;
        auto job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        job(db_);
        lock.lock();
        busy_ = false;
        if (jobs_.empty())
            idle_.notify_all();
    }
    lock.unlock();
    db_.close();
}

} // namespace qv::history
