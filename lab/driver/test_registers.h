/* SPDX-License-Identifier: GPL-2.0 OR MIT */
/*
 * The register device's contract, shared by its two stand-ins: the
 * test_registers driver and regsim, the FUSE file. Both take the same
 * parameter words (nregs=N, values=W0,W1,..., lax_seek=1, fail_open=E,
 * fail_read=E, fail_write=E, fail_close=E, short_read=K, short_write=K),
 * bounded alike, and log what reaches them in the same lines:
 *
 *	open MODE			the access mode, and O_SYNC or O_DSYNC
 *	seek POS [SEEK_CUR|...]		a driver only: a file's seeks never reach it
 *	read POS SIZE
 *	write POS SIZE BYTES...		the bytes sent, in hexadecimal
 *	close
 *
 * The includer provides O_ACCMODE, O_SYNC and O_DSYNC.
 */
#ifndef TEST_REGISTERS_H
#define TEST_REGISTERS_H

/* nregs: 1 to this many registers. */
#define TR_MAX_REGS 1024
/*
 * fail_*: 0 (no fault) or an errno that user space knows, up to EHWPOISON;
 * the kernel's own codes from 512 up must never reach it.
 */
#define TR_MAX_ERRNO 133
/* short_*: -1 (no fault), or the bytes to move, 0 to 3. */
#define TR_MAX_SHORT 3

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
