(* Byte-level wire items of the link to tolq: 32-bit big-endian words, counted
 * strings and blocks, and a bounds-checked cursor for reading messages that
 * came from the peer. *)
structure TolqBytes =
struct
  structure V = Word8Vector
  structure VS = Word8VectorSlice

  (* A message from the peer did not have the layout it should have. *)
  exception Malformed of string

  (* ---- encoding ---- *)

  fun word (w : Word32.word) : V.vector =
      V.fromList (map (fn s => Word8.fromLarge (Word32.toLarge (Word32.>> (w, s))))
                      [0w24, 0w16, 0w8, 0w0])

  (* Signed values travel as their two's-complement bits. *)
  fun int (i : int) : V.vector = word (Word32.fromInt i)

  fun bytes (s : string) : V.vector = Byte.stringToBytes s

  fun zeros n = V.tabulate (n, fn _ => 0w0)

  (* Padding of a counted string or block: up to the next multiple of 4. *)
  fun padOf n = (4 - n mod 4) mod 4

  (* word n, n bytes, no padding *)
  fun rawString s = V.concat [int (size s), bytes s]

  (* word n, n bytes, padding to a multiple of 4 *)
  fun paddedString s = V.concat [int (size s), bytes s, zeros (padOf (size s))]

  (* ---- decoding ---- *)

  fun toWord (v : V.vector, i : int) : Word32.word =
      let fun b k = Word32.fromLarge (Word8.toLarge (V.sub (v, i + k)))
      in Word32.orb (Word32.<< (b 0, 0w24),
           Word32.orb (Word32.<< (b 1, 0w16), Word32.orb (Word32.<< (b 2, 0w8), b 3)))
      end

  (* A word read as a signed 32-bit number; values that do not fit the ML
   * int of this run-time are refused. *)
  fun wordToInt (w : Word32.word) : int =
      Word32.toIntX w handle Overflow => raise Malformed "number out of range"

  (* The low 16 bits of a word, sign-extended. *)
  fun wordToShort (w : Word32.word) : int =
      let val low = Word32.toInt (Word32.andb (w, 0wxFFFF))
      in if low >= 0x8000 then low - 0x10000 else low end

  (* A cursor over one received message. Every read checks what is left. *)
  type cursor = {data : V.vector, pos : int ref}

  fun cursor (v : V.vector) : cursor = {data = v, pos = ref 0}

  fun remaining ({data, pos} : cursor) = V.length data - !pos

  fun atEnd c = remaining c = 0

  fun need (c : cursor, n : int) =
      if n < 0 orelse n > remaining c then raise Malformed "message too short" else ()

  fun getWord (c as {data, pos} : cursor) : Word32.word =
      (need (c, 4); toWord (data, !pos) before pos := !pos + 4)

  fun getInt c = wordToInt (getWord c)

  fun getShort c = wordToShort (getWord c)

  fun getBytes (c as {data, pos} : cursor, n : int) : string =
      (need (c, n);
       Byte.unpackStringVec (VS.slice (data, !pos, SOME n)) before pos := !pos + n)

  fun skip (c as {pos, ...} : cursor, n) = (need (c, n); pos := !pos + n)

  fun getCount c =
      let val n = getInt c
      in if n < 0 then raise Malformed "negative count" else n end

  (* word n, n bytes *)
  fun getRawString c = getBytes (c, getCount c)

  (* word n, n bytes, padding to a multiple of 4 *)
  fun getPaddedString c =
      let val n = getCount c
          val s = getBytes (c, n)
      in skip (c, padOf n); s end

  (* word n, n bytes, then 1 to 4 bytes of padding up to the next multiple
   * of 4 above n *)
  fun getPStr c =
      let val n = getCount c
          val s = getBytes (c, n)
      in skip (c, 4 - n mod 4); s end

  (* word n, then n words *)
  fun getWordList c =
      let val n = getCount c
      in need (c, 4 * n) handle Overflow => raise Malformed "count too large";
         List.tabulate (n, fn _ => getInt c)
      end
end

(* Reals as the shortest ML real literal that reads back as the same
 * number ("2.0", not "2"). *)
structure TolqReal =
struct
  fun literal t = if CharVector.exists (fn c => c = #"." orelse c = #"E") t then t else t ^ ".0"

  fun shortest (r : real) : string =
      let fun attempt p =
              let val t = Real.fmt (StringCvt.GEN (SOME p)) r
              in if p >= 17 orelse (case Real.fromString t of
                                      SOME back => Real.== (back, r)
                                    | NONE => false)
                 then literal t else attempt (p + 1)
              end
      in if Real.isFinite r then attempt 1 else Real.toString r end
end
