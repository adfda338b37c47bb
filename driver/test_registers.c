// SPDX-License-Identifier: MIT
/*
 * test_registers: a register device for trying regrw on a real kernel.
 *
 * A misc character device at /dev/test_registers with nregs 32-bit
 * registers. The file position is the register number: a seek sets it, and
 * a read or write of exactly 4 bytes moves that register's word in host byte
 * order, leaving the position where it is. Faults are module parameters,
 * writable at any moment under /sys/module/test_registers/parameters, so a
 * test can arm and disarm them without reloading; writing values sets the
 * registers afresh. Everything that reaches
 * the driver is logged at info level, one line an event, in the words the
 * user-space stand-in (regsim) uses, so one test helper reads both.
 */
#define pr_fmt(fmt) KBUILD_MODNAME ": " fmt

#include <linux/errno.h>
#include <linux/fs.h>
#include <linux/miscdevice.h>
#include <linux/module.h>
#include <linux/moduleparam.h>
#include <linux/slab.h>
#include <linux/uaccess.h>

#define MAX_REGS 1024
/* Bytes of a refused write that still make it into the log. */
#define MAX_LOGGED 16

static unsigned int nregs = 3;
static u32 values[MAX_REGS];
static unsigned int nvalues;
static bool lax_seek;
static int fail_open, fail_read, fail_write, fail_close;
static int short_read = -1, short_write = -1;

/* Allocated once nregs is known, at init: until then values only records. */
static u32 *regs;


/* An errno number to fail with: 0 (no fault) up to the largest errno. */
static int set_errno(const char *val, const struct kernel_param *kp)
{
	int n, ret;

	ret = kstrtoint(val, 0, &n);
	if (ret)
		return ret;
	if (n < 0 || n > MAX_ERRNO)
		return -EINVAL;
	WRITE_ONCE(*(int *)kp->arg, n);
	return 0;
}

/* A short transfer's byte count, 0 to 3, or -1 for none. */
static int set_short(const char *val, const struct kernel_param *kp)
{
	int n, ret;

	ret = kstrtoint(val, 0, &n);
	if (ret)
		return ret;
	if (n < -1 || n > 3)
		return -EINVAL;
	WRITE_ONCE(*(int *)kp->arg, n);
	return 0;
}

/*
 * The initial words, register 0 first, separated by commas. Written while
 * the driver runs, it also sets every register: the words given, then 0.
 * Parameter writes are serialised by the kernel, so values needs no lock.
 */
static int set_values(const char *val, const struct kernel_param *kp)
{
	char *copy, *cursor, *word;
	unsigned int count = 0, i;
	u32 *parsed;
	int ret = 0;

	copy = kstrdup(val, GFP_KERNEL);
	parsed = kcalloc(MAX_REGS, sizeof(*parsed), GFP_KERNEL);
	if (!copy || !parsed) {
		ret = -ENOMEM;
		goto out;
	}
	cursor = strim(copy);
	if (!*cursor)
		cursor = NULL;
	while (cursor) {
		word = strsep(&cursor, ",");
		if (count == MAX_REGS || (regs && count == nregs)) {
			ret = -EINVAL;
			goto out;
		}
		ret = kstrtou32(word, 0, &parsed[count++]);
		if (ret)
			goto out;
	}
	memcpy(values, parsed, sizeof(values));
	nvalues = count;
	if (regs)
		for (i = 0; i < nregs; i++)
			WRITE_ONCE(regs[i], values[i]);
out:
	kfree(parsed);
	kfree(copy);
	return ret;
}

static int get_values(char *buf, const struct kernel_param *kp)
{
	unsigned int i;
	int len = 0;

	for (i = 0; i < nvalues; i++)
		len += scnprintf(buf + len, PAGE_SIZE - len, "%s0x%08x", i ? "," : "", values[i]);
	return len + scnprintf(buf + len, PAGE_SIZE - len, "\n");
}

static const struct kernel_param_ops values_ops = {
	.set = set_values,
	.get = get_values,
};

static const struct kernel_param_ops errno_ops = {
	.set = set_errno,
	.get = param_get_int,
};

static const struct kernel_param_ops short_ops = {
	.set = set_short,
	.get = param_get_int,
};

module_param(nregs, uint, 0444);
MODULE_PARM_DESC(nregs, "number of registers, 1 to 1024 (default 3)");
module_param_cb(values, &values_ops, NULL, 0644);
MODULE_PARM_DESC(values, "register values, from register 0, comma-separated (default all 0); writing sets the registers");
module_param(lax_seek, bool, 0644);
MODULE_PARM_DESC(lax_seek, "accept any non-negative position and refuse the transfer instead (default 0)");
module_param_cb(fail_open, &errno_ops, &fail_open, 0644);
MODULE_PARM_DESC(fail_open, "refuse every open with this errno (0: no fault)");
module_param_cb(fail_read, &errno_ops, &fail_read, 0644);
MODULE_PARM_DESC(fail_read, "fail every read with this errno (0: no fault)");
module_param_cb(fail_write, &errno_ops, &fail_write, 0644);
MODULE_PARM_DESC(fail_write, "fail every write with this errno (0: no fault)");
module_param_cb(fail_close, &errno_ops, &fail_close, 0644);
MODULE_PARM_DESC(fail_close, "fail every close (the flush) with this errno (0: no fault)");
module_param_cb(short_read, &short_ops, &short_read, 0644);
MODULE_PARM_DESC(short_read, "move only this many bytes, 0 to 3, on a read (-1: no fault)");
module_param_cb(short_write, &short_ops, &short_write, 0644);
MODULE_PARM_DESC(short_write, "take only this many bytes, 0 to 3, on a write, storing none (-1: no fault)");

static const char *open_mode(unsigned int flags)
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

static int tr_open(struct inode *inode, struct file *file)
{
	int err = READ_ONCE(fail_open);

	pr_info("open %s\n", open_mode(file->f_flags));
	return err ? -err : 0;
}

static loff_t tr_llseek(struct file *file, loff_t offset, int whence)
{
	pr_info("seek %lld%s\n", offset,
		whence == SEEK_SET ? "" : whence == SEEK_CUR ? " SEEK_CUR" :
		whence == SEEK_END ? " SEEK_END" : " SEEK_OTHER");
	/* As a file would: any position that is not negative, the end at nregs. */
	if (READ_ONCE(lax_seek))
		return generic_file_llseek_size(file, offset, whence, MAX_LFS_FILESIZE, nregs);
	/* Only a register's own number is a position. */
	if (whence != SEEK_SET || offset < 0 || offset >= nregs)
		return -EINVAL;
	file->f_pos = offset;
	return offset;
}

/* The register at the position, or -1 where there is none. */
static long reg_at(loff_t pos)
{
	return pos >= 0 && pos < nregs ? (long)pos : -1;
}

static ssize_t tr_read(struct file *file, char __user *buf, size_t count, loff_t *ppos)
{
	long reg = reg_at(*ppos);
	int err = READ_ONCE(fail_read);
	int short_count = READ_ONCE(short_read);
	u32 word;

	pr_info("read %lld %zu\n", *ppos, count);
	if (reg < 0 || count != sizeof(word))
		return -EINVAL;
	if (err)
		return -err;
	if (short_count >= 0)
		count = short_count;
	/* One load: a concurrent writer's word arrives whole or not at all. */
	word = READ_ONCE(regs[reg]);
	if (copy_to_user(buf, &word, count))
		return -EFAULT;
	return count;
}

static ssize_t tr_write(struct file *file, const char __user *buf, size_t count, loff_t *ppos)
{
	u8 bytes[MAX_LOGGED];
	size_t logged = min(count, sizeof(bytes));
	long reg = reg_at(*ppos);
	int err = READ_ONCE(fail_write);
	int short_count = READ_ONCE(short_write);
	u32 word;

	if (copy_from_user(bytes, buf, logged))
		return -EFAULT;
	pr_info("write %lld %zu%s%*ph\n", *ppos, count, logged ? " " : "", (int)logged, bytes);
	if (reg < 0 || count != sizeof(word))
		return -EINVAL;
	if (err)
		return -err;
	/* A register takes a whole word or nothing. */
	if (short_count >= 0)
		return short_count;
	memcpy(&word, bytes, sizeof(word));
	WRITE_ONCE(regs[reg], word);
	return count;
}

/* Called on every close(2) of a descriptor; its error is close's. */
static int tr_flush(struct file *file, fl_owner_t id)
{
	int err = READ_ONCE(fail_close);

	pr_info("close\n");
	return err ? -err : 0;
}

static const struct file_operations tr_fops = {
	.owner = THIS_MODULE,
	.open = tr_open,
	.llseek = tr_llseek,
	.read = tr_read,
	.write = tr_write,
	.flush = tr_flush,
};

static struct miscdevice tr_device = {
	.minor = MISC_DYNAMIC_MINOR,
	.name = "test_registers",
	.fops = &tr_fops,
};

static int __init tr_init(void)
{
	unsigned int i;
	int ret;

	if (nregs < 1 || nregs > MAX_REGS) {
		pr_err("nregs must be 1 to %d\n", MAX_REGS);
		return -EINVAL;
	}
	if (nvalues > nregs) {
		pr_err("%u values for %u registers\n", nvalues, nregs);
		return -EINVAL;
	}
	regs = kcalloc(nregs, sizeof(*regs), GFP_KERNEL);
	if (!regs)
		return -ENOMEM;
	for (i = 0; i < nvalues; i++)
		regs[i] = values[i];
	ret = misc_register(&tr_device);
	if (ret) {
		kfree(regs);
		return ret;
	}
	pr_info("%u registers%s\n", nregs, lax_seek ? ", lax seek" : "");
	return 0;
}

static void __exit tr_exit(void)
{
	misc_deregister(&tr_device);
	kfree(regs);
}

module_init(tr_init);
module_exit(tr_exit);

MODULE_DESCRIPTION("A register device for testing regrw: nregs 32-bit registers at /dev/test_registers");
MODULE_AUTHOR("the regrw developers");
MODULE_LICENSE("Dual MIT/GPL");
