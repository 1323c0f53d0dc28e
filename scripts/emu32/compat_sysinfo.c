/* Preloaded into every 32-bit Wine process under qemu-i386, as reserve_for_wine.so is.
 *
 * A 32-bit process on a 64-bit Linux kernel asks sysinfo() through the kernel's compat
 * path, which raises mem_unit to the page size when the memory counts do not fit 32 bits.
 * qemu-i386 7.2 copies the 64-bit host's byte counts into the 32-bit fields as they are, so
 * on a host with 4 GB or more they wrap: Wine then reports the machine's memory modulo
 * 4 GB (3625 MB of 24105 here) beside the true available memory, and a memory load far
 * below zero. Here the counts come from /proc/meminfo and are scaled as the kernel would.
 * Built with the host compiler: gcc -m32, ld -m elf_i386. */

struct sysinfo
{
    long uptime;
    unsigned long loads[3];
    unsigned long totalram, freeram, sharedram, bufferram, totalswap, freeswap;
    unsigned short procs, pad;
    unsigned long totalhigh, freehigh;
    unsigned int mem_unit;
    char reserved[8];
};

long syscall(long number, ...);
int open(const char *path, int flags, ...);
long read(int fd, void *buffer, unsigned long count);
int close(int fd);

#define SYS_sysinfo 116 /* i386 */
#define PAGE_SIZE 4096

/* The kB figure of one /proc/meminfo line ("MemTotal:   24683852 kB"), 0 when absent. */
static unsigned long long kilobytes(const char *text, const char *name)
{
    const char *line = text;
    while (*line)
    {
        const char *n = name, *t = line;
        while (*n && *t == *n) { n++; t++; }
        if (!*n)
        {
            unsigned long long value = 0;
            while (*t == ' ') t++;
            while (*t >= '0' && *t <= '9') value = value * 10 + (unsigned long long)(*t++ - '0');
            return value;
        }
        while (*line && *line != '\n') line++;
        if (*line) line++;
    }
    return 0;
}

/* A kB figure in the unit given: bytes, or pages of 4 KB (shifts only: no libgcc here). */
static unsigned long scaled(unsigned long long kb, int paged)
{
    return (unsigned long)(paged ? kb >> 2 : kb << 10);
}

int sysinfo(struct sysinfo *info)
{
    char text[8192];
    long got, total = 0;
    int fd, paged;
    unsigned long long ram, swap;
    long result = syscall(SYS_sysinfo, info);

    if (result != 0 || (fd = open("/proc/meminfo", 0)) < 0) return (int)result;
    while (total < (long)sizeof(text) - 1 &&
           (got = read(fd, text + total, sizeof(text) - 1 - (unsigned long)total)) > 0)
        total += got;
    close(fd);
    text[total] = 0;

    ram = kilobytes(text, "MemTotal:");
    swap = kilobytes(text, "SwapTotal:");
    if (!ram) return 0;
    /* Bytes when everything fits, else pages, as the compat path gives them. */
    paged = (ram << 10) >> 32 || (swap << 10) >> 32;
    info->totalram = scaled(ram, paged);
    info->freeram = scaled(kilobytes(text, "MemFree:"), paged);
    info->sharedram = scaled(kilobytes(text, "Shmem:"), paged);
    info->bufferram = scaled(kilobytes(text, "Buffers:"), paged);
    info->totalswap = scaled(swap, paged);
    info->freeswap = scaled(kilobytes(text, "SwapFree:"), paged);
    info->totalhigh = 0;
    info->freehigh = 0;
    info->mem_unit = paged ? PAGE_SIZE : 1;
    return 0;
}
