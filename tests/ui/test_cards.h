// Card files for the window's tests, built in code and written to a temporary folder.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <string>

#include "core/card.h"
#include "examples/card_builder.h"

namespace selvane::test {

inline std::string WriteCard(const QString& path, const CardImage& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  return path.toStdString();
}

inline CardImage ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray data = file.readAll();
  return CardImage(data.begin(), data.end());
}

// Three saves: "ALPHA" (slot 1), the three blocks of "BRAVO" (slots 2-4), "CHARLIE" (slot 5).
inline demo::CardBuilder SourceCard() {
  demo::CardBuilder card;
  card.AddSave(1, 1, "ALPHA", "SLUS-00011", 'A', false, 11)
      .AddSave(2, 3, "BRAVO", "SLES-00022", 'E', false, 22)
      .AddSave(5, 1, "CHARLIE", "SLPS-00033", 'I', false, 33);
  return card;
}

// One save "DELTA" in slot 1; the rest is free.
inline demo::CardBuilder TargetCard() {
  demo::CardBuilder card;
  card.AddSave(1, 1, "DELTA", "SLUS-00044", 'A', false, 44);
  return card;
}

}  // namespace selvane::test
