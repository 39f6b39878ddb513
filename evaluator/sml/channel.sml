(* The evaluator's descriptors: the binary channel (descriptor 3) and the
 * text channel (standard input and output). Buffered readers that retry reads
 * interrupted by a signal, whole writes that no interrupt can cut in half,
 * and a quiet exit when tolq closes either channel. *)
structure TolqChannel =
struct
  structure V = Word8Vector
  structure VS = Word8VectorSlice

  val binFd = Posix.FileSys.wordToFD 0w3
  val textInFd = Posix.FileSys.wordToFD 0w0
  val textOutFd = Posix.FileSys.wordToFD 0w1

  (* tolq went away: end quietly. *)
  fun peerGone () = OS.Process.exit OS.Process.success

  fun interrupted (OS.SysErr (_, SOME e)) = e = Posix.Error.intr
    | interrupted _ = false

  fun retry f = f () handle e => if interrupted e then retry f else raise e

  (* SIGINT held back, so that an interrupt cannot abandon a message half
   * written or half read; a held interrupt is delivered on release. Holds
   * nest. *)
  val holds = ref 0

  fun hold () =
      (if !holds = 0 then Signals.maskSignals (Signals.MASK [Signals.sigINT]) else ();
       holds := !holds + 1)

  fun release () =
      (holds := !holds - 1;
       if !holds = 0 then Signals.unmaskSignals (Signals.MASK [Signals.sigINT]) else ())

  fun withoutInterrupt f =
      let val () = hold ()
          val r = f () handle e => (release (); raise e)
      in release (); r end

  fun writeAll (fd, v : V.vector) =
      let fun go i =
              if i >= V.length v then ()
              else let val n = retry (fn () => Posix.IO.writeVec (fd, VS.slice (v, i, NONE)))
                   in go (i + n) end
      in go 0 handle OS.SysErr _ => peerGone () end

  fun send (fd, parts : V.vector list) =
      withoutInterrupt (fn () => writeAll (fd, V.concat parts))

  (* A reader keeps the bytes received but not used yet. *)
  type reader = {fd : Posix.IO.file_desc, buf : V.vector ref, pos : int ref}

  fun newReader fd : reader = {fd = fd, buf = ref (V.fromList []), pos = ref 0}

  val bin = newReader binFd
  val textIn = newReader textInFd

  fun buffered ({buf, pos, ...} : reader) = V.length (!buf) - !pos

  fun reset ({buf, pos, ...} : reader) = (buf := V.fromList []; pos := 0)

  fun receive ({fd, ...} : reader) =
      let val v = retry (fn () => Posix.IO.readVec (fd, 65536))
                  handle OS.SysErr _ => V.fromList []
      in if V.length v = 0 then peerGone () else v end

  (* Appends freshly received bytes to what is still unread. *)
  fun fill (r as {buf, pos, ...} : reader) =
      let val v = receive r
      in buf := V.concat [VS.vector (VS.slice (!buf, !pos, NONE)), v]; pos := 0 end

  fun readByte (r as {buf, pos, ...} : reader) : Word8.word =
      (if buffered r = 0 then fill r else ();
       V.sub (!buf, !pos) before pos := !pos + 1)

  (* Gives back the byte just read. *)
  fun unreadByte ({pos, ...} : reader) = pos := !pos - 1

  (* Exactly n bytes; a long message is gathered in pieces and joined once. *)
  fun readBytes (r as {buf, pos, ...} : reader, n : int) : V.vector =
      let fun take () = VS.vector (VS.slice (!buf, !pos, SOME n)) before pos := !pos + n
          fun gather (parts, have) =
              if have >= n then rev parts
              else let val v = receive r in gather (v :: parts, have + V.length v) end
      in if buffered r >= n then take ()
         else let val first = VS.vector (VS.slice (!buf, !pos, NONE))
              in buf := V.concat (gather ([first], V.length first)); pos := 0; take () end
      end

  fun readWord r = TolqBytes.toWord (readBytes (r, 4), 0)

  fun pollDesc fd = Option.valOf (OS.IO.pollDesc (Posix.FileSys.fdToIOD fd))

  fun sameFd (d, fd) = OS.IO.compare (OS.IO.pollToIODesc d, Posix.FileSys.fdToIOD fd) = EQUAL

  fun isReader (r : reader) (other : reader) =
      Posix.FileSys.fdToWord (#fd r) = Posix.FileSys.fdToWord (#fd other)

  (* Waits until one of the readers' descriptors can be read (NONE: no time
   * limit); returns those readers. Bytes already buffered are not looked at. *)
  fun readable (readers : reader list, timeout : Time.time option) : reader list =
      let val descs = map (fn r => OS.IO.pollIn (pollDesc (#fd r))) readers
          val infos = retry (fn () => OS.IO.poll (descs, timeout))
          fun isReady (r : reader) =
              List.exists (fn i => sameFd (OS.IO.infoToPollDesc i, #fd r)) infos
      in List.filter isReady readers end

  (* Throws away what is buffered and whatever has already arrived: used
   * after a malformed message, whose end cannot be known. *)
  fun drain (r : reader) =
      (reset r;
       while not (null (readable ([r], SOME Time.zeroTime))) do (fill r; reset r))
end
