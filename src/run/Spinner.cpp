#include "Spinner.h"

#include <cmath>

QString SpinnerAt(double timeOfDay) {
    static const char* const kFrames[4] = {"-", "\\", "|", "/"};
    const long long second = std::llround(timeOfDay);
    return QString::fromLatin1(kFrames[((second % 4) + 4) % 4]);
}
