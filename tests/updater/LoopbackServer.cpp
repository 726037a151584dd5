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
    Answer(*socket, route, lifetime);
    socket->disconnectFromHost();
    if (socket->state() != QAbstractSocket::UnconnectedState)
      socket->waitForDisconnected(1000);
    FServing = false;
  }
}

void TLoopbackServer::Answer(QTcpSocket &socket, const TRoute &route, const QDeadlineTimer &lifetime) {
  const bool stalls = route.StallAfter >= 0 || route.StallAfter == Silent;
  if (route.StallAfter != Silent) {
    QByteArray head = "HTTP/1.1 " + StatusLine(route.Status) + "\r\n";
    const qint64 length = route.ContentLength == BodyLength ? route.Body.size() : route.ContentLength;
    if (length >= 0 && !route.Endless)
      head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    socket.write(head + "Connection: close\r\n\r\n");
    socket.write(route.StallAfter < 0 ? route.Body : route.Body.left(route.StallAfter));
    socket.waitForBytesWritten(2000);
  }
  while (route.Endless && !FStop && !lifetime.hasExpired() &&
         socket.state() == QAbstractSocket::ConnectedState) {
    if (socket.bytesToWrite() < route.Body.size())
      socket.write(route.Body);
    socket.waitForBytesWritten(100);
  }
  if (stalls) {
    if (OnStall)
      OnStall();
    if (WaitForTheClientToLeave(socket, lifetime))
      ++FStallsLeftByClient;
  }
}

bool TLoopbackServer::WaitForTheClientToLeave(QTcpSocket &socket, const QDeadlineTimer &lifetime) const {
  while (!FStop && !lifetime.hasExpired() && socket.state() == QAbstractSocket::ConnectedState)
    socket.waitForReadyRead(50);
  return socket.state() != QAbstractSocket::ConnectedState;
}
