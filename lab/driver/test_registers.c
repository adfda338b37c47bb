// SPDX-License-Identifier: GPL-2.0 OR MIT
/*
 * test_registers: a register device at /dev/test_registers for trying regrw
 * on a real kernel. The file position is the register; a read or write of
 * exactly 4 bytes moves its word in host byte order, leaving the position.
 * Faults are parameters, writable at any moment, so a test arms them without
 * reloading. Each event is logged at info level. The parameters and the log
 * are the contract it shares with regsim (test_registers.h).
 */
#define pr_fmt(fmt) KBUILD_MODNAME ": " fmt

#include <linux/errno.h>
#include <linux/fcntl.h>
#include <linux/fs.h>
#include <linux/miscdevice.h>
#include <linux/module.h>
#include <linux/moduleparam.h>
#include <linux/slab.h>
#include <linux/uaccess.h>

#include "test_registers.h"

/* As long as the module: nothing a parameter file reaches is ever freed. */
static u32 regs[TR_MAX_REGS];
/* How many words values= gave at load, and whether init is past. */
static unsigned int nvalues;
static bool live;
/* nregs, lax_seek, fail_open ... short_write, at their defaults. */
#define TR_VARIABLE(name, mode, min, max, init, what) static int name = init;
TR_NUMBER_WORDS(TR_VARIABLE)

/* kstrtoint's base: 16 after 0x (where it takes no sign), else 10. */
static unsigned int number_base(const char *val)
{
	return val[0] == '0' && (val[1] == 'x' || val[1] == 'X') ? 16 : 10;
}

/* A number word: where it lives, and its bounds. */
struct tr_number {
	int *value;
	int min, max;
};

static int set_number(const char *val, const struct kernel_param *kp)
{
	const struct tr_number *word = kp->arg;
	int n, ret;

	ret = kstrtoint(val, number_base(val), &n);
	if (ret)
		return ret;
	if (n < word->min || n > word->max)
		return -EINVAL;
	WRITE_ONCE(*word->value, n);
	return 0;
}

static int get_number(char *buf, const struct kernel_param *kp)
{
	const struct tr_number *word = kp->arg;

	return sysfs_emit(buf, "%d\n", READ_ONCE(*word->value));
}

static const struct kernel_param_ops number_ops = {
	.set = set_number,
	.get = get_number,
};

/*
 * The registers' words, the rest 0: written later, every register at once,
 * and a list that does not parse changes nothing. The kernel serialises
 * parameter writes; init checks nregs against a load's list.
 */
static int set_values(const char *val, const struct kernel_param *kp)
{
	unsigned int limit = READ_ONCE(live) ? nregs : TR_MAX_REGS;
	unsigned int count = 0, i;
	char *copy, *cursor, *word;
	u32 *parsed;
	int ret = 0;

	copy = kstrdup(val, GFP_KERNEL);
	parsed = kcalloc(TR_MAX_REGS, sizeof(*parsed), GFP_KERNEL);
	if (!copy || !parsed) {
		ret = -ENOMEM;
		goto out;
	}
	cursor = strim(copy);
	if (!*cursor)
		cursor = NULL;
	while (cursor) {
		word = strsep(&cursor, ",");
		if (count == limit) {
			ret = -EINVAL;
			goto out;
		}
		ret = kstrtou32(word, number_base(word), &parsed[count++]);
		if (ret)
			goto out;
	}
	for (i = 0; i < TR_MAX_REGS; i++)
		WRITE_ONCE(regs[i], parsed[i]);
	nvalues = count;
out:
	kfree(parsed);
	kfree(copy);
	return ret;
}

/* The words up to the last not 0; too many for sysfs's page fail, uncut. */
static int get_values(char *buf, const struct kernel_param *kp)
{
	unsigned int n = min_t(unsigned int, nregs, TR_MAX_REGS);
	unsigned int i, last = 0;
	int len = 0;

	for (i = 0; i < n; i++) {
		if (READ_ONCE(regs[i]))
			last = i + 1;
	}
	for (i = 0; i < last; i++) {
		len += snprintf(buf + len, PAGE_SIZE - len, "%s%#x", i ? "," : "",
				READ_ONCE(regs[i]));
		if (len >= PAGE_SIZE - 1)
			return -EOVERFLOW;
	}
	buf[len++] = '\n';
	return len;
}

static const struct kernel_param_ops values_ops = {
	.set = set_values,
	.get = get_values,
};

/* What holds for the driver alone, by the mode of a word's file. */
#define TR_NOTE_0444 "; set at load only"
#define TR_NOTE_0644 ""
#define TR_PARAM(name, mode, min, max, init, what)			\
	static struct tr_number tr_##name = { &name, min, max };	\
	module_param_cb(name, &number_ops, &tr_##name, mode);		\
	MODULE_PARM_DESC(name, what TR_NOTE_##mode);
TR_NUMBER_WORDS(TR_PARAM)
module_param_cb(values, &values_ops, NULL, 0644);
MODULE_PARM_DESC(values, TR_VALUES_WHAT "; writing its file sets them");

static int tr_open(struct inode *inode, struct file *file)
{
	int err = READ_ONCE(fail_open);

	pr_info("open %s\n", tr_open_mode(file->f_flags));
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
	u8 bytes[TR_MAX_LOGGED];
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
	int ret;

	if (nvalues > (unsigned int)nregs) {
		pr_err("%u values for %d registers\n", nvalues, nregs);
		return -EINVAL;
	}
	ret = misc_register(&tr_device);
	if (ret)
		return ret;
	WRITE_ONCE(live, true);
	pr_info("%d registers%s\n", nregs, lax_seek ? ", lax seek" : "");
	return 0;
}

static void __exit tr_exit(void)
{
	misc_deregister(&tr_device);
}

module_init(tr_init);
module_exit(tr_exit);

MODULE_DESCRIPTION("A register device for testing regrw: 32-bit registers at /dev/test_registers");
MODULE_AUTHOR("the regrw developers");
MODULE_LICENSE("Dual MIT/GPL");
