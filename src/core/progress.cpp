#include "core/progress.h"

namespace tessara {

Progress& noProgress() {
    class Silent final : public Progress {
      public:
        void step(const QString&) override {}
        bool advance(double) override { return true; }
    };
    static Silent silent;
    return silent;
}

}  // namespace tessara
