/* Preloaded into every 32-bit Wine process under qemu-i386 (the root's /etc/ld.so.preload).
 *
 * Debian's 32-bit Wine has no preloader, so its ntdll reserves the Windows address ranges
 * itself. qemu-i386 7.2 treats MAP_FIXED_NOREPLACE as a mere hint and puts the guest's
 * libraries and stack just below and above 1 GB, so every refused range comes back
 * somewhere else; ntdll keeps those above 2 GB and then probes the upper half in 64 KB
 * steps, each a full search of qemu's page table: about a minute per process. Here the
 * ranges are reserved before ntdll loads, while they are still free, and handed to it the
 * way the preloader would. Built with the host compiler: gcc -m32, ld -m elf_i386. */

#include <stddef.h>

struct preload_info
{
    void *addr;
    size_t size;
};

/* The loader's own variable, which the preloader fills on other systems. */
extern const struct preload_info *wine_main_preload_info;

void *mmap(void *addr, size_t length, int prot, int flags, int fd, long offset);
int munmap(void *addr, size_t length);

#define PROT_NONE 0
#define MAP_PRIVATE 0x02
#define MAP_ANONYMOUS 0x20
#define MAP_NORESERVE 0x4000
#define MAP_FAILED ((void *)-1)

static struct preload_info areas[3]; /* zero-terminated */
static int area_count;

static int reserve(size_t start, size_t size)
{
    void *want = (void *)start;
    void *got = mmap(want, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (got == want)
    {
        areas[area_count].addr = got;
        areas[area_count].size = size;
        area_count++;
        return 1;
    }
    if (got != MAP_FAILED) munmap(got, size);
    return 0;
}

__attribute__((constructor)) static void reserve_for_wine(void)
{
    size_t end;
    /* Windows programs and DLLs: from 64 KB up to the guest libraries below 1 GB. */
    for (end = 0x40000000; end > 0x10000000; end -= 0x100000)
        if (reserve(0x10000, end - 0x10000)) break;
    /* The shared user data page and everything above 2 GB; qemu then places the libraries
     * loaded later between 1 and 2 GB, which 32-bit programs without the large-address
     * flag never ask for by address. */
    reserve(0x7ffe0000, 0xffff0000 - 0x7ffe0000);
    wine_main_preload_info = areas;
}
