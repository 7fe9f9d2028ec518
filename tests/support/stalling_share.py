#!/usr/bin/python3
# A share that stops answering, for the tests: it mirrors a real folder read-only, and the mode says which
# of its calls never return (they wait until the file system is unmounted or its connection is aborted).
#   read     reads of file contents never return
#   list     folder listings never return
#   statfs   the file system's own figures never come
#   dies:S   everything answers for S seconds after the first read of a file, then nothing does
#   late:S   nothing answers until S seconds after the mount, then everything does
#   opens:S  files opened by S seconds after the first read go on reading; an open after that never returns
# Usage: stalling_share.py SOURCE MOUNTPOINT MODE   (stays in the foreground)
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations

hang_for_ever = threading.Event()  # never set: the kernel aborting the connection frees the callers


class StallingShare(Operations):
    def __init__(self, source, mode):
        self.source = source
        self.mode, _, seconds = mode.partition(":")
        self.seconds = float(seconds or 0)
        self.mounted_at = time.monotonic()
        self.first_read = None

    def _stall(self, call):
        now = time.monotonic()
        if self.mode == "late" and now - self.mounted_at < self.seconds:
            time.sleep(self.seconds - (now - self.mounted_at))
            return
        dead = (self.mode == call
                or (self.mode == "dies" and self.first_read is not None
                    and now - self.first_read > self.seconds))
        if dead:
            hang_for_ever.wait()

    def _real(self, path):
        return os.path.join(self.source, path.lstrip("/"))

    def getattr(self, path, fh=None):
        self._stall("getattr")
        try:
            st = os.lstat(self._real(path))
        except OSError as error:
            raise FuseOSError(error.errno)
        keys = ("st_mode", "st_size", "st_nlink", "st_uid", "st_gid", "st_atime", "st_mtime", "st_ctime")
        return {key: getattr(st, key) for key in keys}

    def readdir(self, path, fh):
        self._stall("list")
        return [".", ".."] + os.listdir(self._real(path))

    def readlink(self, path):
        return os.readlink(self._real(path))

    def statfs(self, path):
        self._stall("statfs")
        st = os.statvfs(self.source)
        keys = ("f_bsize", "f_frsize", "f_blocks", "f_bfree", "f_bavail", "f_files", "f_ffree", "f_namemax")
        return {key: getattr(st, key) for key in keys}

    def open(self, path, flags):
        if (self.mode == "opens" and self.first_read is not None
                and time.monotonic() - self.first_read > self.seconds):
            hang_for_ever.wait()
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._real(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        if self.first_read is None:
            self.first_read = time.monotonic()
        self._stall("read")
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)


if __name__ == "__main__":
    source, mountpoint, mode = sys.argv[1:4]
    # direct_io: every read reaches us, so the page cache cannot answer for a share that has died.
    FUSE(StallingShare(source, mode), mountpoint, foreground=True, ro=True, nothreads=False,
         direct_io=True, allow_other=True)
