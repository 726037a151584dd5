#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <atomic>
#include <functional>
#include <future>
#include <map>
#include <thread>

class QTcpSocket;

// A tiny HTTP server on 127.0.0.1 for the download tests, on its own thread. Each path answers
// with a status and a body; a stalled route sends part of its body (nothing at all, not even its
// status, with StallAfter = Silent), calls OnStall (on the server's thread) and then waits until the
// client goes away or the server stops. It stops by itself after at most 30 seconds.
class TLoopbackServer {
public:
  static constexpr qint64 BodyLength = -1; // the declared length is the body's
  static constexpr qint64 NoLength = -2;   // no length is declared: the body ends with the connection
  static constexpr qsizetype Silent = -2;

  struct TRoute {
    int Status = 200;
    QByteArray Body;
    qsizetype StallAfter = -1;
    qint64 ContentLength = BodyLength;
    bool Endless = false; // the body is sent again and again, with no length, until the client leaves
  };

  TLoopbackServer();
  ~TLoopbackServer();

  void Route(const QString &path, const TRoute &route);
  QString Url(const QString &path) const;
  int Requests() const { return FRequests; }
  // How many stalled transfers ended because the client went away (not by the server's time limit),
  // once the server has finished with the connection it is serving.
  int StallsLeftByClient() const;

  std::function<void()> OnStall;

private:
  void Serve(std::promise<quint16> *port);
  void Answer(QTcpSocket &socket, const TRoute &route, const QDeadlineTimer &lifetime);
  // Waits until the client goes away or the server stops; true when the client went.
  bool WaitForTheClientToLeave(QTcpSocket &socket, const QDeadlineTimer &lifetime) const;

  std::map<QString, TRoute> FRoutes;
  std::atomic<bool> FStop{false};
  std::atomic<int> FRequests{0};
  std::atomic<int> FStallsLeftByClient{0};
  std::atomic<bool> FServing{false};
  quint16 FPort = 0;
  std::thread FThread;
};
