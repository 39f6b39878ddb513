(* The binary channel's protocol: the opcodes tolq sends, the loop that
 * serves them, the typed field lists, and the wait for tolq's answer to a
 * request of ours, during which tolq may evaluate more text. *)
structure TolqLink =
struct
  structure B = TolqBytes
  structure C = TolqChannel
  structure V = Word8Vector

  (* Opcodes, tolq to evaluator *)
  val opEvaluate = 0w1 : Word32.word
  val opFields = 0w9 : Word32.word
  (* evaluator to tolq *)
  val opFieldReply = 0w7 : Word32.word

  (* Largest ML text and largest field list accepted from tolq. *)
  val maxText = 64 * 1024 * 1024
  val maxFields = 65536
  val maxFieldString = 16 * 1024 * 1024

  (* tolq broke the protocol; the message is refused. *)
  exception Protocol of string

  fun note s = TextIO.output (TextIO.stdErr, "tolq evaluator: " ^ s ^ "\n")

  (* ---- typed field lists ---- *)

  type fields = {shorts : int list, ints : int list, strings : string list}

  fun readCount () =
      let val n = B.wordToInt (C.readWord C.bin)
      in if n < 0 orelse n > maxFields then raise B.Malformed "field count out of range" else n end

  fun readFields () : fields =
      let val ns = readCount ()
          val ni = readCount ()
          val nt = readCount ()
          fun word () = C.readWord C.bin
          val shorts = List.tabulate (ns, fn _ => B.wordToShort (word ()))
          val ints = List.tabulate (ni, fn _ => B.wordToInt (word ()))
          fun string _ =
              let val n = B.wordToInt (word ())
              in if n < 0 orelse n > maxFieldString then raise B.Malformed "field string too long" else ();
                 Byte.bytesToString (C.readBytes (C.bin, n)) before ignore (C.readBytes (C.bin, B.padOf n))
              end
      in {shorts = shorts, ints = ints, strings = List.tabulate (nt, string)} end

  fun encodeFields (opcode, {shorts, ints, strings} : fields) : V.vector list =
      [B.word opcode, B.int (length shorts), B.int (length ints), B.int (length strings)]
      @ map B.int shorts
      @ map B.int ints
      @ map B.paddedString strings

  fun checkFields ({shorts, ints, strings} : fields) =
      if List.all (fn s => s >= ~32768 andalso s <= 65535) shorts then ()
      else raise Size

  (* What serves tolq's field-list requests; the libraries install theirs.
   * Until then every request is answered with status -1. *)
  val internalError : fields = {shorts = [], ints = [~1], strings = []}
  val fieldServer : (fields -> fields) ref = ref (fn _ => internalError)

  (* ---- serving tolq's opcodes ---- *)

  fun refuseText what =
      (note what;
       TolqReply.send ("Link Error: " ^ what ^ "\n", TolqReply.Failure))

  fun serveEvaluate () =
      let fun read () =
              let val n = C.readWord C.bin
              in if Word32.> (n, Word32.fromInt maxText)
                 then raise B.Malformed ("text of " ^ Word32.fmt StringCvt.DEC n ^ " bytes refused")
                 else Byte.bytesToString (C.readBytes (C.bin, Word32.toInt n))
              end
      in case (SOME (C.withoutInterrupt read) handle B.Malformed m => (C.drain C.bin; refuseText m; NONE)) of
           SOME text => TolqEval.evaluate text
         | NONE => ()
      end

  (* A field-list request is served like an evaluation: it can be
   * interrupted, and what it prints is dropped (tolq expects no text). *)
  fun serveFields () =
      let val request = SOME (C.withoutInterrupt readFields)
                        handle B.Malformed m => (note m; C.drain C.bin; NONE)
          fun answer reply = C.send (C.binFd (), encodeFields (opFieldReply, reply))
          fun serve () =
              case request of
                NONE => internalError
              | SOME r => (let val reply = !fieldServer r in checkFields reply; reply end
                           handle e => (note ("field request failed: " ^ exnMessage e);
                                        internalError))
          val d = TolqCapture.depth ()
          val () = TolqCapture.push ()
          val reply = TolqEval.asLevel (fn () => answer internalError) serve
      in ignore (TolqCapture.popTo d);
         answer (getOpt (reply, internalError))
      end

  (* An opcode that does not belong here: what follows it cannot be
   * delimited, so everything that has arrived is dropped. *)
  fun skipUnknown opcode =
      (note ("unexpected opcode " ^ Word32.fmt StringCvt.DEC opcode ^ " skipped");
       C.drain C.bin)

  (* Serves what tolq may send at any time. false when the opcode is not one
   * of these. *)
  fun serveCommon opcode =
      if opcode = opEvaluate then (serveEvaluate (); true)
      else if opcode = opFields then (serveFields (); true)
      else false

  (* Waits for an opcode on the binary channel. An interrupt ends the wait
   * of an evaluation; a whole word is taken at once. *)
  fun nextOpcode () = C.readWord C.bin

  (* Reads the rest of one message with SIGINT held; a malformed one is
   * dropped along with whatever else has arrived. *)
  fun readMessage read =
      C.withoutInterrupt read
      handle B.Malformed m => (C.drain C.bin; raise Protocol m)

  (* Waits for tolq's answer to a request just sent. answer maps the
   * opcodes that may answer it to the reader of their message. Meanwhile
   * tolq's evaluations and field-list requests are served. *)
  fun await (answer : Word32.word -> (unit -> 'a) option) : 'a =
      let val opcode = nextOpcode ()
      in case answer opcode of
           SOME read => readMessage read
         | NONE => if serveCommon opcode then await answer
                   else (skipUnknown opcode;
                         raise Protocol ("opcode " ^ Word32.fmt StringCvt.DEC opcode
                                         ^ " while waiting for an answer"))
      end

  (* Sends a request of ours and waits for its answer. *)
  fun request (message : V.vector list, answer) =
      TolqDefer.section (fn () => (C.send (C.binFd (), message); await answer))

  (* ---- the evaluator's loop ---- *)

  fun serveForever () =
      let val opcode = nextOpcode ()
      in if serveCommon opcode then () else skipUnknown opcode;
         serveForever ()
      end

  (* Starts a server thread of the current generation. Interrupts are
   * deferred except while an evaluation runs. *)
  fun startServer () =
      TolqServer.thread :=
        SOME (Thread.Thread.fork
                (fn () => (TolqServer.adopt (); serveForever ()),
                 [Thread.Thread.InterruptState Thread.Thread.InterruptDefer,
                  Thread.Thread.MaximumMLStack NONE,
                  Thread.Thread.EnableBroadcastInterrupt false]))
end
