"""What the shipped morvante.exe imports and what it carries, read with objdump.

    check_exe.py OBJDUMP EXE SOURCE_DIR BUILD_DIR

- Every DLL in its import table is a KnownDLL. Windows looks for any other
  imported DLL in the executable's own folder first, so a program unpacked
  into Downloads would load whatever DLL of that name lies beside it.
- It is reproducible: no link time stamp in the PE header, no debug sections,
  and neither the source nor the build folder's path anywhere in its bytes.
"""
import re
import subprocess
import sys

# HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs on Windows 10
# and 11 (ntdll is always mapped first and kernelbase comes with kernel32).
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll",
    "difxapi.dll", "gdi32.dll", "gdiplus.dll", "imagehlp.dll", "imm32.dll",
    "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll",
    "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll",
    "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "wldap32.dll", "ws2_32.dll", "ntdll.dll", "kernelbase.dll",
}


def main():
    objdump, exe, source_dir, build_dir = sys.argv[1:5]
    problems = []

    headers = subprocess.run([objdump, "-p", "-h", exe], capture_output=True, text=True,
                             check=True).stdout
    imports = re.findall(r"DLL Name: (\S+)", headers)
    if not imports:
        problems.append("no import table found")
    for dll in imports:
        if dll.lower() not in KNOWN_DLLS:
            problems.append("imports %s, which is not a KnownDLL" % dll)

    stamp = re.search(r"^Time/Date\s+(.*)$", headers, re.M)
    if not stamp or not stamp.group(1).startswith("Thu Jan  1 00:00:00 1970"):
        problems.append("link time stamp: %s" % (stamp.group(1) if stamp else "unreadable"))
    for section in re.findall(r"^\s*\d+\s+(\.debug\S*)", headers, re.M):
        problems.append("debug section %s" % section)

    data = open(exe, "rb").read()
    for folder in {source_dir.rstrip("/"), build_dir.rstrip("/")}:
        for encoding in ("utf-8", "utf-16-le"):
            if folder.encode(encoding) in data:
                problems.append("carries the path %s (%s)" % (folder, encoding))

    print("imports: %s" % ", ".join(imports))
    for p in problems:
        print("FAIL: " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
