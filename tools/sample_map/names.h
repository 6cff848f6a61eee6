// Made-up place names, put together from syllables that sound like an English county's.
#pragma once

#include <QSet>
#include <QString>
#include <functional>

#include "random.h"

namespace tessara {

class NameMaker {
  public:
    enum class Place { Inland, River, Coast };

    explicit NameMaker(Random random) : random_(random) {}

    // A town's name never used before by this maker; an ending that suits the place.
    QString town(Place place);
    QString bay();
    QString region();

  private:
    QString root();
    QString unused(const std::function<QString()>& make);

    Random random_;
    QSet<QString> used_;
};

}  // namespace tessara
