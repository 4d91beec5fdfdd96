/* A file system that locks nothing, for tests: preloaded (LD_PRELOAD=libno_flock.so), every flock
 * fails as it does on NFS without its lock service, so a real engine runs as it would there. */
#include <errno.h>
#include <sys/file.h>

int flock(int fd, int operation)
{
    (void)fd;
    (void)operation;
    errno = ENOLCK;
    return -1;
}
