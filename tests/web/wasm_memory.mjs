// The limits of a WebAssembly module's memory, read from the module's bytes
// (its memory section, or the memory it imports): {initial, maximum} in
// bytes, maximum null when the module sets none.
const PageBytes = 65536;
const MemorySection = 5, ImportSection = 2, MemoryKind = 2;

export function memoryLimits(bytes) {
    if (bytes.readUInt32LE(0) !== 0x6d736100) throw new Error('not a WebAssembly module');
    let at = 8;
    const uleb = () => {
        let value = 0, shift = 0, byte;
        do {
            byte = bytes[at++];
            value += (byte & 0x7f) * 2 ** shift;
            shift += 7;
        } while (byte & 0x80);
        return value;
    };
    const limits = () => {
        const flags = uleb();
        const initial = uleb() * PageBytes;
        return {initial, maximum: flags & 1 ? uleb() * PageBytes : null};
    };
    const name = () => {
        const length = uleb();
        at += length;
    };
    while (at < bytes.length) {
        const id = bytes[at++];
        const size = uleb();
        const end = at + size;
        if (id === MemorySection) {
            if (uleb() !== 1) throw new Error('the module has more than one memory');
            return limits();
        }
        if (id === ImportSection) {
            for (let count = uleb(); count > 0; --count) {
                name();
                name();
                const kind = bytes[at++];
                if (kind === MemoryKind) return limits();
                if (kind === 0) uleb();                          // a function: its type
                else if (kind === 1) { at++; limits(); }         // a table
                else if (kind === 3) at += 2;                    // a global: type, mutability
                else throw new Error(`unknown import kind ${kind}`);
            }
        }
        at = end;
    }
    throw new Error('the module has no memory');
}
