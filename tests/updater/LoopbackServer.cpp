#include "LoopbackServer.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <future>
#include <mutex>

namespace {

std::mutex RoutesLock;

QByteArray StatusLine(int status) {
  return status == 200 ? QByteArray("200 OK") : QByteArray::number(status) + " Error";
}

} // namespace

TLoopbackServer::TLoopbackServer() {
  std::promise<quint16> port;
  std::future<quint16> ready = port.get_future();
  FThread = std::thread([this, &port] { Serve(&port); });
  FPort = ready.get();
}

TLoopbackServer::~TLoopbackServer() {
  FStop = true;
  FThread.join();
}

int TLoopbackServer::StallsLeftByClient() const {
  const QDeadlineTimer limit(5000);
  while (FServing && !limit.hasExpired())
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return FStallsLeftByClient;
}

void TLoopbackServer::Route(const QString &path, const TRoute &route) {
  std::lock_guard guard(RoutesLock);
  FRoutes[path] = route;
}

QString TLoopbackServer::Url(const QString &path) const {
  return QStringLiteral("http://127.0.0.1:%1%2").arg(FPort).arg(path);
}

void TLoopbackServer::Serve(std::promise<quint16> *port) {
  QTcpServer server;
  server.listen(QHostAddress::LocalHost, 0);
  port->set_value(server.serverPort());
  const QDeadlineTimer lifetime(30000);
  while (!FStop && !lifetime.hasExpired()) {
    if (!server.waitForNewConnection(50))
      continue;
    FServing = true;
    std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
    QByteArray request;
    while (!request.contains("\r\n\r\n") && socket->waitForReadyRead(2000))
      request += socket->readAll();
    ++FRequests;
    const QString path = QString::fromLatin1(request.split(' ').value(1));
    TRoute route{404, "not found", -1};
    {
      std::lock_guard guard(RoutesLock);
      if (auto it = FRoutes.find(path); it != FRoutes.end())
        route = it->second;
    }
    socket->write("HTTP/1.1 " + StatusLine(route.Status) + "\r\nContent-Length: " +
                  QByteArray::number(route.Body.size()) + "\r\nConnection: close\r\n\r\n");
    socket->write(route.StallAfter < 0 ? route.Body : route.Body.left(route.StallAfter));
    socket->waitForBytesWritten(2000);
    if (route.StallAfter >= 0) {
      if (OnStall)
        OnStall();
      while (!FStop && !lifetime.hasExpired() && socket->state() == QAbstractSocket::ConnectedState)
        socket->waitForReadyRead(50);
      if (socket->state() != QAbstractSocket::ConnectedState)
        ++FStallsLeftByClient;
    }
    socket->disconnectFromHost();
    if (socket->state() != QAbstractSocket::UnconnectedState)
      socket->waitForDisconnected(1000);
    FServing = false;
  }
}
