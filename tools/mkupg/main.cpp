// mkupg: builds an update package "AGZ1" from files.
//
//   mkupg [options] OUTPUT IMAGE[=NAME] [[--stored] FILE[=NAME]]...
//
// The first member is the program image (stored name "meridox_sec" unless given); the others are
// placed beside it under NAME ("\" between folders), by default the file's own name. Members are
// compressed unless preceded by --stored.
//
// Options:
//   --version M.m[.r.b]     writes this version into the image's version block first
//   --bad-magic             the package does not start with "AGZ1"
//   --bad-checksum          one byte is changed after the checksum was taken
//   --back-pointer N        member N's next-entry offset points at itself
//   --oversized-chunk N     member N's first chunk claims more than 2 MiB
//   --name-length N:LEN     member N's name length byte is LEN
//   --truncate BYTES        the package is cut to BYTES (its checksum still matches)
//   --claim N:LEN           member N's entry claims LEN bytes, whatever its data holds
//   --chunk-size N:BYTES    member N is cut into chunks of BYTES decoded bytes instead of 1 MiB
//   --zero-chunk N:BYTES    member N is one compressed chunk that inflates to BYTES zero bytes
//   --zero-member N:BYTES   member N is BYTES zero bytes in sound compressed chunks
#include "Exceptions.h"
#include "UpgWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <tuple>
#include <utility>

namespace {

[[noreturn]] void Usage(const QString &problem) {
  throw Exception(problem +
                  QStringLiteral("\nusage: mkupg [options] OUTPUT IMAGE[=NAME] [[--stored] FILE[=NAME]]..."));
}

qint64 Number(const QString &text, qint64 max = INT_MAX) {
  bool ok = false;
  const qint64 value = text.toLongLong(&ok);
  if (!ok || value < 0 || value > max)
    Usage(QStringLiteral("not a number from 0 to %1: ").arg(max) + text);
  return value;
}

// "N:VALUE": a member index and a number for it.
std::pair<int, qint64> MemberNumber(const QString &option, const QString &text, qint64 max) {
  const QStringList pair = text.split(u':');
  if (pair.size() != 2)
    Usage(option + QStringLiteral(" wants N:NUMBER"));
  return {int(Number(pair[0])), Number(pair[1], max)};
}

TPackageMember ReadMember(const QString &argument, const QString &defaultName, bool stored) {
  const qsizetype eq = argument.indexOf(u'=');
  const QString source = eq < 0 ? argument : argument.left(eq);
  TPackageMember member;
  member.Name = eq < 0 ? defaultName : argument.mid(eq + 1);
  member.Compressed = !stored;
  QFile file(source);
  if (!file.open(QIODevice::ReadOnly))
    throw Exception(QStringLiteral("cannot read ") + source + QStringLiteral(": ") + file.errorString());
  member.Data = file.readAll();
  return member;
}

void ApplyVersion(TPackageMember &image, const QString &text) {
  const QStringList parts = text.split(u'.');
  if (parts.size() != 2 && parts.size() != 4)
    Usage(QStringLiteral("version wants M.m or M.m.r.b: ") + text);
  auto part = [&](int i) { return std::uint16_t(i < parts.size() ? Number(parts[i], UINT16_MAX) : 0); };
  image.Data = WithVersion(image.Data, part(0), part(1), part(2), part(3));
}

int Run(const QStringList &args) {
  TPackageDamage damage;
  QString version;
  QStringList positional;
  std::vector<bool> storedFlags;
  bool stored = false;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString &arg = args[i];
    auto value = [&]() -> QString {
      if (++i >= args.size())
        Usage(arg + QStringLiteral(" wants a value"));
      return args[i];
    };
    if (arg == u"--stored") {
      stored = true;
    } else if (arg == u"--version") {
      version = value();
    } else if (arg == u"--bad-magic") {
      damage.BadMagic = true;
    } else if (arg == u"--bad-checksum") {
      damage.BadChecksum = true;
    } else if (arg == u"--back-pointer") {
      damage.BackPointingEntry = int(Number(value()));
    } else if (arg == u"--oversized-chunk") {
      damage.OversizedChunkEntry = int(Number(value()));
    } else if (arg == u"--name-length") {
      const auto [entry, length] = MemberNumber(arg, value(), 255);
      damage.NameLengthEntry = entry;
      damage.NameLength = std::uint8_t(length);
    } else if (arg == u"--claim") {
      const auto [entry, length] = MemberNumber(arg, value(), UINT32_MAX);
      damage.ClaimEntry = entry;
      damage.ClaimedLength = std::uint32_t(length);
    } else if (arg == u"--chunk-size") {
      std::tie(damage.ChunkSizeEntry, damage.ChunkSize) = MemberNumber(arg, value(), INT32_MAX);
      if (damage.ChunkSize == 0)
        Usage(QStringLiteral("--chunk-size wants a positive size"));
    } else if (arg == u"--zero-chunk") {
      std::tie(damage.ZeroChunkEntry, damage.ZeroChunkLength) = MemberNumber(arg, value(), UINT32_MAX);
    } else if (arg == u"--zero-member") {
      std::tie(damage.ZeroMemberEntry, damage.ZeroMemberLength) = MemberNumber(arg, value(), UINT32_MAX);
    } else if (arg == u"--truncate") {
      damage.TruncateTo = Number(value());
    } else if (arg.startsWith(QStringLiteral("--"))) {
      Usage(QStringLiteral("unknown option ") + arg);
    } else {
      positional.append(arg);
      storedFlags.push_back(stored);
      stored = false;
    }
  }
  if (positional.size() < 2)
    Usage(QStringLiteral("an output and an image are needed"));
  std::vector<TPackageMember> members;
  for (qsizetype i = 1; i < positional.size(); ++i) {
    const QString fileName = QFileInfo(positional[i].section(u'=', 0, 0)).fileName();
    members.push_back(
        ReadMember(positional[i], i == 1 ? QStringLiteral("meridox_sec") : fileName, storedFlags[i]));
  }
  if (!version.isEmpty())
    ApplyVersion(members.front(), version);
  WritePackage(positional[0], members, damage);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  try {
    return Run(app.arguments());
  } catch (const Exception &e) {
    std::fprintf(stderr, "mkupg: %s\n", e.what());
    return 1;
  }
}
