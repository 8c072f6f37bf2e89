#pragma once
// Ranked games on the score server: the three requests of its JSON API (start
// a game, place the card on offer, ask where a game stands), sent one at a time
// through the fetch component, so nothing waits on the network, and their
// replies read into the engine's terms. A request the server does not answer
// (no connection, a time-out, a 5xx, an unreadable reply) is sent again after a
// growing pause until it is answered: the server answers a repeated placement
// exactly as the first, so a retry never places a card twice.

#include "game/rankedround.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class THTTPGet;

// The reply to a new game: the game's token and the first card on offer.
struct RankedStart {
    QString game;
    int card = 0;
};

// The reply to a placement: the next card on offer, or the round scored.
struct RankedPlacement {
    int round = 0;
    int placed = 0;
    int card = 0;                           // while the round goes on
    std::optional<qv::RankedRound> scored;  // after the sixteenth card
};

// The replies read and checked; nothing for a text that is not such a reply.
std::optional<RankedStart> parseRankedStart(const QByteArray &reply);
std::optional<RankedPlacement> parseRankedPlacement(const QByteArray &reply);
std::optional<qv::RankedPosition> parseRankedPosition(const QByteArray &reply);
// What a refusal says: its "error" text, or the body as it came.
QString rankedRefusalText(const QByteArray &reply);

// The API's addresses below the server base address ("http://host/").
QString rankedAddress(const QString &server, const QString &product, const QString &request);
// The page of the best ranked scores.
QString rankedPageAddress(const QString &server, const QString &product);

class RankedClient : public QObject {
    Q_OBJECT
public:
    // A reply later than this shows the waiting sign.
    static constexpr int waitSignMs = 300;
    // An attempt with no reply by then is given up and sent again.
    static constexpr int attemptTimeoutMs = 10000;
    // The pause before retry number attempt (1, 2, ...): 0.5 s, doubling up to 4 s.
    static int retryDelayMs(int attempt);

    enum class Request { New, Place, State };

    explicit RankedClient(QObject *parent = nullptr);
    ~RankedClient() override;

    // The server base address ("http://host/") and the product identifier.
    void setServer(const QString &server, const QString &product);

    // Each sends one request; false (nothing sent) while another is under way.
    bool newGame(const QString &name);
    bool place(const QString &game, int row, int col, int card);
    bool recover(const QString &game);
    // Gives up the request under way; nothing more is reported of it.
    void cancel();

    bool busy() const { return request_.has_value(); }
    bool waiting() const { return waiting_; }
    bool unreachable() const { return unreachable_; }

signals:
    void started(const RankedStart &start);
    void placed(const RankedPlacement &placement);
    void recovered(const qv::RankedPosition &position);
    // The server refused the request (a 4xx status): nothing was done.
    void refused(RankedClient::Request request, int status, const QString &reason);
    // The waiting sign comes (a reply later than waitSignMs) and goes.
    void waitingChanged(bool waiting);
    // The server could not be reached (reason says how); the request goes out
    // again in retryMs. Then reached once a reply has come.
    void unreachableNow(const QString &reason, int retryMs);
    void reached();

private:
    using Kind = Request;
    struct Pending {
        Kind kind;
        QString url;
        QByteArray body; // empty for a GET
        int attempt = 0;
    };

    bool begin(Kind kind, const QString &url, const QByteArray &body);
    void send();
    void replied(THTTPGet *fetch, const QByteArray &body);
    void failed(THTTPGet *fetch, const QString &reason);
    // Ends the request before its result is reported.
    void finish();
    void dropFetch();

    QString server_;
    QString product_ = QStringLiteral("quenvale");
    std::optional<Pending> request_;
    THTTPGet *fetch_ = nullptr; // the attempt under way
    QTimer waitSign_;
    QTimer attemptTimeout_;
    QTimer retry_;
    bool waiting_ = false;
    bool unreachable_ = false;
};
