(* Building blocks of the occurrence-graph library: a structural order and
 * hash over any ML value (tokens of every colour set), growable arrays, and
 * an open-addressing index whose entries live in the caller's arrays. *)

structure TolqValue =
struct
  (* The stand-in type of any value once its own type is forgotten. *)
  datatype v = V
  fun univ (x : 'a) : v = RunCall.unsafeCast x
  fun cast (x : v) : 'a = RunCall.unsafeCast x

  val byteCell = 0wx01 : word
  val codeCell = 0wx02 : word

  fun bytesOf (a : v) = Word.andb (RunCall.memoryCellFlags a, Word.orb (byteCell, codeCell)) <> 0w0

  (* A total order on values of one type: short values first, then cells
   * by flags, length and contents. Equal values compare EQUAL whatever
   * their addresses. *)
  fun cmp (a : v, b : v) : order =
      if PolyML.pointerEq (a, b) then EQUAL
      else case (RunCall.isShort a, RunCall.isShort b) of
             (true, true) => Int.compare (cast a, cast b)
           | (true, false) => LESS
           | (false, true) => GREATER
           | (false, false) =>
               let val fa = RunCall.memoryCellFlags a
                   val fb = RunCall.memoryCellFlags b
                   val n = RunCall.memoryCellLength a
                   val nb = RunCall.memoryCellLength b
                   fun bytes i =
                       if i >= n * 0w8 then EQUAL
                       else case Word8.compare (RunCall.loadByte (a, i), RunCall.loadByte (b, i)) of
                              EQUAL => bytes (i + 0w1)
                            | o' => o'
                   fun fields i =
                       if i >= n then EQUAL
                       else case cmp (RunCall.loadWord (a, i), RunCall.loadWord (b, i)) of
                              EQUAL => fields (i + 0w1)
                            | o' => o'
               in if fa <> fb then Word.compare (fa, fb)
                  else if n <> nb then Word.compare (n, nb)
                  else if bytesOf a then bytes 0w0
                  else fields 0w0
               end

  fun mix (h : word, x : word) = Word.* (Word.xorb (h, x), 0w1099511628211)

  (* A hash that agrees with cmp: equal values hash alike. *)
  fun hash (a : v) : word =
      if RunCall.isShort a then mix (0w1469598103934665603, Word.fromInt (cast a))
      else
        let val n = RunCall.memoryCellLength a
            val start = mix (0w1469598103934665603, Word.orb (Word.<< (n, 0w8), RunCall.memoryCellFlags a))
            fun bytes (i, h) =
                if i >= n * 0w8 then h else bytes (i + 0w1, mix (h, Word.fromInt (Word8.toInt (RunCall.loadByte (a, i)))))
            fun fields (i, h) = if i >= n then h else fields (i + 0w1, mix (h, hash (RunCall.loadWord (a, i))))
        in if bytesOf a then bytes (0w0, start) else fields (0w0, start) end

  fun eq (a, b) = cmp (a, b) = EQUAL
end

(* Arrays that grow as values are pushed. *)
structure TolqGrow =
struct
  type 'a t = {arr : 'a array ref, len : int ref, fill : 'a}
  fun new (fill : 'a) : 'a t = {arr = ref (Array.array (64, fill)), len = ref 0, fill = fill}
  fun length ({len, ...} : 'a t) = !len
  fun sub ({arr, len, ...} : 'a t, i) = if i < 0 orelse i >= !len then raise Subscript else Array.sub (!arr, i)
  fun update ({arr, len, ...} : 'a t, i, x) =
      if i < 0 orelse i >= !len then raise Subscript else Array.update (!arr, i, x)
  fun push ({arr, len, fill} : 'a t, x) =
      (if !len = Array.length (!arr) then
         let val a = Array.array (2 * !len, fill) in Array.copy {src = !arr, dst = a, di = 0}; arr := a end
       else ();
       Array.update (!arr, !len, x);
       len := !len + 1)
  fun clear ({arr, len, fill} : 'a t) = (arr := Array.array (64, fill); len := 0)
  fun app f (g : 'a t) = let fun go i = if i < length g then (f (sub (g, i)); go (i + 1)) else () in go 0 end
  fun appi f (g : 'a t) = let fun go i = if i < length g then (f (i, sub (g, i)); go (i + 1)) else () in go 0 end
  fun capacity ({arr, ...} : 'a t) = Array.length (!arr)
end

(* Growable arrays of 32-bit integers kept in bytes: half the memory of an
 * int array, and nothing in them for the collector to trace. *)
structure TolqGrow32 =
struct
  type t = {bytes : Word8Array.array ref, len : int ref}
  fun new () : t = {bytes = ref (Word8Array.array (256, 0w0)), len = ref 0}
  fun length ({len, ...} : t) = !len
  fun byte (b, i) = Word8.toInt (Word8Array.sub (b, i))
  fun get (b, i) =
      let val p = 4 * i
          val n = byte (b, p) + 256 * (byte (b, p + 1) + 256 * (byte (b, p + 2) + 256 * byte (b, p + 3)))
      in if n >= 2147483648 then n - 4294967296 else n end
  fun put (b, i, x) =
      let val p = 4 * i
          val n = if x < 0 then x + 4294967296 else x
      in Word8Array.update (b, p, Word8.fromInt (n mod 256));
         Word8Array.update (b, p + 1, Word8.fromInt (n div 256 mod 256));
         Word8Array.update (b, p + 2, Word8.fromInt (n div 65536 mod 256));
         Word8Array.update (b, p + 3, Word8.fromInt (n div 16777216 mod 256))
      end
  fun sub ({bytes, len} : t, i) = if i < 0 orelse i >= !len then raise Subscript else get (!bytes, i)
  fun update ({bytes, len} : t, i, x) = if i < 0 orelse i >= !len then raise Subscript else put (!bytes, i, x)
  fun push ({bytes, len} : t, x) =
      (if 4 * (!len + 1) > Word8Array.length (!bytes) then
         let val b = Word8Array.array (2 * Word8Array.length (!bytes), 0w0)
         in Word8Array.copy {src = !bytes, dst = b, di = 0}; bytes := b end
       else ();
       len := !len + 1;
       put (!bytes, !len - 1, x))
  fun clear ({bytes, len} : t) = (bytes := Word8Array.array (256, 0w0); len := 0)
  fun app f (g : t) = let fun go i = if i < length g then (f (sub (g, i)); go (i + 1)) else () in go 0 end
  fun appi f (g : t) = let fun go i = if i < length g then (f (i, sub (g, i)); go (i + 1)) else () in go 0 end
end

(* An index from keys to the numbers 0, 1, 2, ... of the entries the caller
 * keeps: slots hold entry + 1 as 32-bit numbers, 0 is free; each entry's
 * hash (its low 31 bits) is kept so that growing needs no key. *)
structure TolqIndex =
struct
  structure W = TolqGrow32
  type t = {slots : Word8Array.array ref, hashes : W.t}

  fun table n = Word8Array.array (4 * n, 0w0)
  fun slotCount s = Word8Array.length s div 4

  fun new () : t = {slots = ref (table 1024), hashes = W.new ()}
  fun count ({hashes, ...} : t) = W.length hashes

  fun low (h : word) = Word.andb (h, 0wx7fffffff)
  fun start (s, h : word) =
      let val h = low h
      in Word.toInt (Word.andb (Word.xorb (h, Word.>> (h, 0w19)), Word.fromInt (slotCount s - 1))) end
  fun next (s, i) = if i + 1 = slotCount s then 0 else i + 1

  (* The entry whose key matches, probing from the hash's slot. *)
  fun find ({slots, ...} : t, h : word, matches : int -> bool) : int option =
      let val s = !slots
          fun go i = case W.get (s, i) of
                       0 => NONE
                     | e => if matches (e - 1) then SOME (e - 1) else go (next (s, i))
      in go (start (s, h)) end

  fun place (s, h, e) =
      let fun go i = if W.get (s, i) = 0 then W.put (s, i, e + 1) else go (next (s, i))
      in go (start (s, h)) end

  (* Adds the next entry, whose key has hash h; its number is the answer. *)
  fun add ({slots, hashes} : t, h : word) : int =
      let val e = W.length hashes
      in if 2 * (e + 1) > slotCount (!slots) then
           let val bigger = table (2 * slotCount (!slots))
           in W.appi (fn (i, hi) => place (bigger, Word.fromInt hi, i)) hashes; slots := bigger end
         else ();
         W.push (hashes, Word.toInt (low h));
         place (!slots, h, e);
         e
      end
end
