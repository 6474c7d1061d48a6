#pragma once

// Makes the C library read the system's time zone once instead of at every
// local-time conversion. With TZ unset it looks at /etc/localtime again on
// each one (a file-system call, several for every measurement point); naming
// the same file pins it. A TZ the user set is left alone. A change of the
// system's zone is seen by the next start of the program. Call first in main.
void ReadLocalTimeZoneOnce();
