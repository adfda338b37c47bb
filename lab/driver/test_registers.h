/* SPDX-License-Identifier: GPL-2.0 OR MIT */
/*
 * The contract of the register device's two stand-ins, the test_registers
 * driver and regsim, the FUSE file: the words below, bounded alike, in one
 * grammar (kstrtoint's: decimal with one sign, or hexadecimal after 0x; no
 * space, at most a newline after), and one log: "open MODE" (the access
 * mode, and O_SYNC or O_DSYNC), "seek POS [SEEK_CUR|...]" (a driver's only:
 * a file never sees its seeks), "read POS SIZE", "write POS SIZE BYTES..."
 * (the first TR_MAX_LOGGED, in hexadecimal), "close". The includer
 * provides O_ACCMODE, O_SYNC and O_DSYNC.
 */
#ifndef TEST_REGISTERS_H
#define TEST_REGISTERS_H

#define TR_MAX_REGS 1024	/* nregs: 1 to this many registers */
#define TR_MAX_ERRNO 133	/* fail_*: 0, or an errno user space knows (never the kernel's, 512 up) */
#define TR_MAX_SHORT 3		/* short_*: -1 (no fault), or the bytes to move, 0 to 3 */
#define TR_MAX_LOGGED 16	/* a write's bytes its log shows: a word, or a refused one's first */

/*
 * The words of one number, X(name, mode, min, max, default, what), mode its
 * parameter file's: the driver's parameters, regsim's words and usage. What
 * holds for both, but lax_seek: regsim, a file, takes any seek, as 1.
 */
#define TR_NUMBER_WORDS(X)							\
	X(nregs, 0444, 1, TR_MAX_REGS, 3,					\
	  "number of registers, 1 to 1024 (default 3)")		\
	X(lax_seek, 0644, 0, 1, 0,						\
	  "1: accept any non-negative position and refuse the transfer instead (default 0)") \
	X(fail_open, 0644, 0, TR_MAX_ERRNO, 0,					\
	  "refuse every open with this errno, 1 to 133 (0: no fault)")		\
	X(fail_read, 0644, 0, TR_MAX_ERRNO, 0,					\
	  "fail every read with this errno, 1 to 133 (0: no fault)")		\
	X(fail_write, 0644, 0, TR_MAX_ERRNO, 0,				\
	  "fail every write with this errno, 1 to 133 (0: no fault)")		\
	X(fail_close, 0644, 0, TR_MAX_ERRNO, 0,				\
	  "fail every close (the flush) with this errno, 1 to 133 (0: no fault)") \
	X(short_read, 0644, -1, TR_MAX_SHORT, -1,				\
	  "move only this many bytes, 0 to 3, on a read (-1: no fault)")	\
	X(short_write, 0644, -1, TR_MAX_SHORT, -1,				\
	  "take only this many bytes, 0 to 3, on a write, storing none (-1: no fault)")
/* And the one word that is a list, values=W0,W1,...: */
#define TR_VALUES_WHAT \
	"the registers' words from register 0, comma-separated, the rest 0 (default all 0)"

/* The words an open's flags are logged in. */
static inline const char *tr_open_mode(unsigned int flags)
{
	static const char *const modes[][3] = {
		{ "O_RDONLY", "O_RDONLY|O_DSYNC", "O_RDONLY|O_SYNC" },
		{ "O_WRONLY", "O_WRONLY|O_DSYNC", "O_WRONLY|O_SYNC" },
		{ "O_RDWR", "O_RDWR|O_DSYNC", "O_RDWR|O_SYNC" },
	};
	unsigned int access = flags & O_ACCMODE;
	unsigned int sync = (flags & O_SYNC) == O_SYNC ? 2 : (flags & O_DSYNC) ? 1 : 0;

	return modes[access > 2 ? 2 : access][sync];
}

#endif
