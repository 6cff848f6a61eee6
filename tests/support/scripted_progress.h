// Progress that records the steps reported and answers "stop" at one report, so that a test
// can cancel long work at the first, a middle or the last report.
#pragma once

#include <QStringList>

#include "core/progress.h"

namespace tessara::test {

class ScriptedProgress : public Progress {
  public:
    int stopAt = -1;  // the report (counted from 0) that answers "stop"; -1 never
    int reports = 0;
    QStringList steps;
    void step(const QString& what) override { steps << what; }
    bool advance(double) override { return reports++ != stopAt; }
};

}  // namespace tessara::test
