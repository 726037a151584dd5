#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <future>
#include <map>
#include <thread>

// A tiny HTTP server on 127.0.0.1 for the download tests, on its own thread. Each path answers
// with a status and a body; a stalled route sends part of its body, calls OnStall (on the server's
// thread) and then waits until the client goes away or the server stops. It stops by itself after
// at most 30 seconds.
class TLoopbackServer {
public:
  struct TRoute {
    int Status = 200;
    QByteArray Body;
    qsizetype StallAfter = -1;
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

  std::map<QString, TRoute> FRoutes;
  std::atomic<bool> FStop{false};
  std::atomic<int> FRequests{0};
  std::atomic<int> FStallsLeftByClient{0};
  std::atomic<bool> FServing{false};
  quint16 FPort = 0;
  std::thread FThread;
};
