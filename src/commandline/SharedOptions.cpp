#include "SharedOptions.h"

OptionSpec HomeOption() {
    return {{QStringLiteral("home")},
            QStringLiteral("DIR"),
            QStringLiteral(
                "Program folder holding TRIO.INI, the test files and TestLog/. Without it an "
                "installed copy uses ~/.local/share/zld3300, and a build its own folder when "
                "that holds TRIO.INI or may be written. An installed copy puts its example "
                "TRIO.INI and test file into a program folder that has no TRIO.INI yet.")};
}
